#include "Platform/Log/ExceptionGuard.h"

#include "Platform/Log/Log.h"

void ExceptionGuard::logException(const char* fullName, const QString& description, const QStringList& symbols)
{
    Log::write("%s : ************************ EXCEPTION ************************ \n Description :  %@ // Call Stack "
               "Symbol : %@",
               fullName, description, symbols);
}
