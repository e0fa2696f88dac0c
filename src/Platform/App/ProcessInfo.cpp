#include "Platform/App/ProcessInfo.h"

#include "Platform/Log/TestHooks.h"

#include <QCoreApplication>

QStringList ProcessInfo::arguments()
{
    return TestHooks::arguments ? *TestHooks::arguments : QCoreApplication::arguments();
}
