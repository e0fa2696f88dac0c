#include "Objects/DataCentres.h"

#include "ServiceHosts.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<const char*, const char*>, 11> hosts{{
    {"com", ORVO_HOST_COM},
    {"lab", ORVO_HOST_LAB},
    {"eu", ORVO_HOST_EU},
    {"in", ORVO_HOST_IN},
    {"au", ORVO_HOST_AU},
    {"cn", ORVO_HOST_CN},
    {"jp", ORVO_HOST_JP},
    {"ca", ORVO_HOST_CA},
    {"uk", ORVO_HOST_UK},
    {"sa", ORVO_HOST_SA},
    {"ae", ORVO_HOST_AE},
}};

} // namespace

QString DataCentres::hostForCode(const QString& code)
{
    for (const auto& [dc, host] : hosts) {
        if (code == QLatin1String(dc)) {
            return QString::fromUtf8(host);
        }
    }
    return QString(QLatin1String(""));
}

QString DataCentres::mainServiceHost()
{
    return hostForCode(QStringLiteral("com"));
}
