// The installer's info file as the plugin reads it: any bytes (XML, binary or no property list at all) in the
// file, then the three settings copied into the session record.
#include "AppDelegate.h"
#include "Objects/SessionDetails.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("info.plist"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::abort();
    }
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    AppDelegate delegate;
    delegate.readInfoFileArgs(path);

    // Whatever was read must be text the later steps can use.
    SessionDetails* session = SessionDetails::getInstance();
    const OptionalString values[] = {session->webServerName(), session->cxp_token(), session->dcName()};
    for (const OptionalString& value : values) {
        if (value && value->isNull()) {
            std::abort();
        }
    }
    session->setWebServerName(std::nullopt);
    session->setPlistWebServerName(std::nullopt);
    session->setCxp_token(std::nullopt);
    session->setDcName(std::nullopt);
    session->setPlistDcName(std::nullopt);
    return 0;
}
