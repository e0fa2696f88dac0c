#pragma once

#include "Platform/Net/UrlError.h"

#include <QByteArray>

#include <optional>

// How the agent check ended: with a reply it could use, or not, and then why when the exchange or its status says.
struct [[nodiscard]] CheckOutcome
{
    bool usable = false;
    // What kept a usable reply from coming: a failed exchange, or a status other than 200; nothing for a reply of
    // status 200 that could not be used.
    std::optional<UrlError> error;

    explicit operator bool() const { return usable; }
};

// The plugin's client of the service's update-check interface. Both checks are synchronous HTTPS requests that
// block the calling (main) thread, and copy what the reply says into the session record.
class ApiHandler
{
public:
    // The single instance, created on first use.
    static ApiHandler* getInstance();

    // Asks whether the installed agent must be fetched, and where from. Usable on status 200 and a reply that
    // carries the agent's details, handled without an exception.
    CheckOutcome agentCheckUpdate();
    // Asks whether a newer plugin exists; when one does, hands over to the plugin updater. YES on status 200 and
    // a reply handled without an exception or refusal.
    bool pluginUpdateCheckApi();

    // What a status-200 reply body of each check sets in the session record; raises PlatformException when the
    // body has the wrong shape (the check's guard logs it). The checks call these after the exchange. The agent's
    // is false when the body holds no "AGENT" object under "representation" (not JSON, or either key missing); both
    // are false, with nothing set, when a value they use is text longer than 8 KiB.
    static bool handleAgentReplyBody(const QByteArray& body);
    static bool handlePluginReplyBody(const QByteArray& body);

private:
    ApiHandler() = default;
};
