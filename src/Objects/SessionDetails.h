#pragma once

#include "Platform/Log/OptionalString.h"

#include <QMutex>

// Declares an atomic property: a getter named as the property and a setter "set" + Name.
#define ORVO_SESSION_PROPERTY(Type, name, Name)                                                                        \
public:                                                                                                                \
    Type name() const;                                                                                                 \
    void set##Name(Type const& value);                                                                                 \
                                                                                                                       \
private:                                                                                                               \
    Type m_##name{};

// The one process-wide record through which the parts of the plugin hand each other settings, identities,
// versions, download locations and flags. Strings keep absent and empty apart. Every property is atomic.
class SessionDetails
{
public:
    // The single instance, created on first use.
    static SessionDetails* getInstance();

    ORVO_SESSION_PROPERTY(OptionalString, sessionKey, SessionKey)
    ORVO_SESSION_PROPERTY(OptionalString, name, Name)
    ORVO_SESSION_PROPERTY(OptionalString, webServerName, WebServerName)
    ORVO_SESSION_PROPERTY(OptionalString, plistWebServerName, PlistWebServerName)
    ORVO_SESSION_PROPERTY(OptionalString, dcName, DcName)
    ORVO_SESSION_PROPERTY(OptionalString, plistDcName, PlistDcName)
    ORVO_SESSION_PROPERTY(OptionalString, cxp_token, Cxp_token)
    ORVO_SESSION_PROPERTY(OptionalString, localOrvoAppVersion, LocalOrvoAppVersion)
    ORVO_SESSION_PROPERTY(OptionalString, localOrvoPluginAppVersion, LocalOrvoPluginAppVersion)
    ORVO_SESSION_PROPERTY(OptionalString, infoPlistPath, InfoPlistPath)
    ORVO_SESSION_PROPERTY(OptionalString, pluginAppPath, PluginAppPath)
    ORVO_SESSION_PROPERTY(bool*, isvalidSessionKey, IsvalidSessionKey)
    ORVO_SESSION_PROPERTY(bool*, isInvokeFromInstaller, IsInvokeFromInstaller)
    ORVO_SESSION_PROPERTY(OptionalString, cxPluginDownloadUrl, CxPluginDownloadUrl)
    ORVO_SESSION_PROPERTY(bool, cxPluginUpdateNeeded, CxPluginUpdateNeeded)
    ORVO_SESSION_PROPERTY(bool, isAppReplaceFlag, IsAppReplaceFlag)
    ORVO_SESSION_PROPERTY(bool, isUpdateNeeded, IsUpdateNeeded)
    ORVO_SESSION_PROPERTY(qint32, retryCounter, RetryCounter)
    ORVO_SESSION_PROPERTY(OptionalString, awsUrl, AwsUrl)
    ORVO_SESSION_PROPERTY(OptionalString, awsServer, AwsServer)
    ORVO_SESSION_PROPERTY(bool, isAwsAvailable, IsAwsAvailable)
    ORVO_SESSION_PROPERTY(OptionalString, cdnUrl, CdnUrl)
    ORVO_SESSION_PROPERTY(OptionalString, fallbackUrl, FallbackUrl)
    ORVO_SESSION_PROPERTY(bool, isCdnAvailable, IsCdnAvailable)

private:
    SessionDetails() = default;

    mutable QMutex m_mutex;
};

#undef ORVO_SESSION_PROPERTY
