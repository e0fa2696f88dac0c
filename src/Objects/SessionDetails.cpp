#include "Objects/SessionDetails.h"

#include <QMutexLocker>

namespace {
SessionDetails* singletonSessionDet = nullptr;
QMutex classLock;
} // namespace

SessionDetails* SessionDetails::getInstance()
{
    QMutexLocker locker(&classLock);
    if (!singletonSessionDet) {
        singletonSessionDet = new SessionDetails;
    }
    return singletonSessionDet;
}

// Each accessor takes the record's lock, so a reader always gets a whole value.
#define ORVO_SESSION_ACCESSORS(Type, name, Name)                                                                       \
    Type SessionDetails::name() const                                                                                  \
    {                                                                                                                  \
        QMutexLocker locker(&m_mutex);                                                                                 \
        return m_##name;                                                                                               \
    }                                                                                                                  \
    void SessionDetails::set##Name(Type const& value)                                                                  \
    {                                                                                                                  \
        QMutexLocker locker(&m_mutex);                                                                                 \
        m_##name = value;                                                                                              \
    }

ORVO_SESSION_ACCESSORS(OptionalString, sessionKey, SessionKey)
ORVO_SESSION_ACCESSORS(OptionalString, name, Name)
ORVO_SESSION_ACCESSORS(OptionalString, webServerName, WebServerName)
ORVO_SESSION_ACCESSORS(OptionalString, plistWebServerName, PlistWebServerName)
ORVO_SESSION_ACCESSORS(OptionalString, dcName, DcName)
ORVO_SESSION_ACCESSORS(OptionalString, plistDcName, PlistDcName)
ORVO_SESSION_ACCESSORS(OptionalString, cxp_token, Cxp_token)
ORVO_SESSION_ACCESSORS(OptionalString, localOrvoAppVersion, LocalOrvoAppVersion)
ORVO_SESSION_ACCESSORS(OptionalString, localOrvoPluginAppVersion, LocalOrvoPluginAppVersion)
ORVO_SESSION_ACCESSORS(OptionalString, infoPlistPath, InfoPlistPath)
ORVO_SESSION_ACCESSORS(OptionalString, pluginAppPath, PluginAppPath)
ORVO_SESSION_ACCESSORS(bool*, isvalidSessionKey, IsvalidSessionKey)
ORVO_SESSION_ACCESSORS(bool*, isInvokeFromInstaller, IsInvokeFromInstaller)
ORVO_SESSION_ACCESSORS(OptionalString, cxPluginDownloadUrl, CxPluginDownloadUrl)
ORVO_SESSION_ACCESSORS(bool, cxPluginUpdateNeeded, CxPluginUpdateNeeded)
ORVO_SESSION_ACCESSORS(bool, isAppReplaceFlag, IsAppReplaceFlag)
ORVO_SESSION_ACCESSORS(bool, isUpdateNeeded, IsUpdateNeeded)
ORVO_SESSION_ACCESSORS(qint32, retryCounter, RetryCounter)
ORVO_SESSION_ACCESSORS(OptionalString, awsUrl, AwsUrl)
ORVO_SESSION_ACCESSORS(OptionalString, awsServer, AwsServer)
ORVO_SESSION_ACCESSORS(bool, isAwsAvailable, IsAwsAvailable)
ORVO_SESSION_ACCESSORS(OptionalString, cdnUrl, CdnUrl)
ORVO_SESSION_ACCESSORS(OptionalString, fallbackUrl, FallbackUrl)
ORVO_SESSION_ACCESSORS(bool, isCdnAvailable, IsCdnAvailable)
