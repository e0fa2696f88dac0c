#include "Handlers/ApiHandler.h"

#include "Handlers/OrvoPluginUpdater.h"
#include "Objects/DataCentres.h"
#include "Objects/SessionDetails.h"
#include "Platform/Log/ExceptionGuard.h"
#include "Platform/Log/Log.h"
#include "Platform/Net/JsonValue.h"
#include "Platform/Net/UrlConnection.h"
#include "Platform/Net/UrlText.h"

#include <QMutex>

#include <algorithm>
#include <initializer_list>

namespace {

ApiHandler* apiObj = nullptr;
QMutex classLock;

// A key looked up in a value that must be an object: absent stays absent, any other kind raises.
std::optional<JsonValue> valueForKey(const std::optional<JsonValue>& container, const QString& key)
{
    if (!container) {
        return std::nullopt;
    }
    if (!container->isObject()) {
        throw PlatformException(QStringLiteral("NSUnknownKeyException"),
                                QStringLiteral("the value holding \"%1\" is not an object").arg(key));
    }
    return container->member(key);
}

QString describe(const std::optional<JsonValue>& value)
{
    return value ? value->description() : QStringLiteral("(null)");
}

// A reply that is not a JSON document counts as an absent value: the checks treat both alike.
std::optional<JsonValue> parsed(const QByteArray& body)
{
    Result<JsonValue> reply = JsonValue::parse(body);
    if (!reply) {
        return std::nullopt;
    }
    return std::move(reply).value();
}

QString describe(const std::optional<QUrl>& url)
{
    return UrlText::forLog(url);
}

// No location or answer we use comes near this; a longer value is hostile and would only flood the log.
constexpr qsizetype maximumValueLength = qsizetype{8} * 1024;

// Whether a text value under one of keys in object is too long, which its line under fullName says.
bool refusesTooLong(const char* fullName, const JsonValue& object, std::initializer_list<QLatin1String> keys)
{
    return std::ranges::any_of(object.members(), [&](const JsonValue::Member& member) {
        const auto& [key, value] = member;
        if (!value.isString() || std::ranges::find(keys, key) == keys.end() ||
            value.toText().size() <= maximumValueLength) {
            return false;
        }
        Log::write("%s : Reply refused, %@ is too long : %@", fullName, key, Log::outsideText(value.toText()));
        return true;
    });
}

// A check's exchange: the body when the status is 200, else why not.
struct [[nodiscard]] Exchanged
{
    std::optional<QByteArray> body;
    std::optional<UrlError> error;
};

// The request, its log lines and the status test both checks share.
Exchanged exchange(const char* fullName, const std::optional<QUrl>& url, bool logFailedCheck)
{
    const UrlResponse response = UrlConnection::sendSynchronousRequest(url);
    Log::write("%s : Request Url URL : %@\n", fullName, describe(url));
    if (logFailedCheck && response.error) {
        Log::write("%s : Check Update failed : %@", fullName, response.error->description());
    }
    if (!response.body) {
        Log::write("%s : Error in the HTTP Request(URL: %@) : %@", fullName, describe(url),
                   response.error ? Log::outsideText(response.error->localizedDescription) : QStringLiteral("(null)"));
    }
    Log::write("%s : Status code : %ld", fullName, response.statusCode);
    if (response.statusCode != 200) {
        Log::write("%s : NSURLConnection failed for this request : %@ and status code : %ld", fullName, describe(url),
                   response.statusCode);
        if (response.error) {
            return {std::nullopt, response.error};
        }
        return {std::nullopt,
                UrlError{UrlErrorCode::BadServerResponse,
                         QStringLiteral("The server answered with HTTP status %1.").arg(response.statusCode),
                         {},
                         response.statusCode,
                         response.retryAfter,
                         {}}};
    }
    return {response.body, std::nullopt};
}

} // namespace

ApiHandler* ApiHandler::getInstance()
{
    QMutexLocker locker(&classLock);
    if (!apiObj) {
        apiObj = new ApiHandler;
        Log::write("%s : Update Info Object Allocated", "+[ApiHandler getInstance]");
    }
    return apiObj;
}

CheckOutcome ApiHandler::agentCheckUpdate()
{
    const char* fullName = "-[ApiHandler agentCheckUpdate]";
    CheckOutcome result;
    ExceptionGuard::run(fullName, [&] {
        SessionDetails* session = SessionDetails::getInstance();
        const QString text = Log::format("https://%@/api/v2/agent/check_update?agent_version=%@&agent=mac 32",
                                         {session->webServerName(), session->localOrvoAppVersion()});
        const std::optional<QUrl> url = UrlText::urlWithString(UrlText::addingPercentEncodingForQuery(text));
        const Exchanged exchanged = exchange(fullName, url, true);
        result.error = exchanged.error;
        if (exchanged.body) {
            result.usable = handleAgentReplyBody(*exchanged.body);
        }
    });
    return result;
}

bool ApiHandler::handleAgentReplyBody(const QByteArray& body)
{
    const char* fullName = "-[ApiHandler agentCheckUpdate]";
    SessionDetails* session = SessionDetails::getInstance();
    const std::optional<JsonValue> reply = parsed(body);
    const std::optional<JsonValue> representation = valueForKey(reply, QStringLiteral("representation"));
    const std::optional<JsonValue> agent = valueForKey(representation, QStringLiteral("AGENT"));
    Log::write("%s : Response : %@", fullName, describe(representation));
    if (agent && !agent->isObject()) {
        throw PlatformException(QStringLiteral("NSInvalidArgumentException"),
                                QStringLiteral("\"AGENT\" is not an object"));
    }
    if (agent && refusesTooLong(
                     fullName, *agent,
                     {QLatin1String("update_needed"), QLatin1String("download_url"), QLatin1String("fallback_url")})) {
        return false;
    }
    for (const auto& [key, value] : agent ? agent->members() : std::vector<JsonValue::Member>()) {
        if (key == QLatin1String("update_needed")) {
            session->setIsUpdateNeeded(value.truthValue());
        }
        if (key == QLatin1String("download_url")) {
            const QString url = value.toText();
            if (!url.isEmpty()) {
                session->setCdnUrl(url);
                session->setIsCdnAvailable(true);
            }
        }
        if (key == QLatin1String("fallback_url")) {
            const QString url = value.toText();
            if (!url.isEmpty()) {
                session->setFallbackUrl(url);
            }
        }
    }
    if (!agent) {
        // The join cannot tell from such a reply whether the agent must be fetched.
        Log::write("%s : Reply without the agent's details", fullName);
        return false;
    }
    return true;
}

bool ApiHandler::pluginUpdateCheckApi()
{
    const char* fullName = "-[ApiHandler pluginUpdateCheckApi]";
    bool result = false;
    ExceptionGuard::run(fullName, [&] {
        SessionDetails* session = SessionDetails::getInstance();
        const OptionalString host = session->webServerName();
        if (!host || host->isEmpty()) {
            session->setWebServerName(DataCentres::mainServiceHost());
        }
        const OptionalString token = session->cxp_token();
        const QString text =
            token && !token->isEmpty()
                ? Log::format(
                      "https://%@/api/v1/customer_plugin/check_update?os=mac&format=dmg&version=%@&cxp_token=%@",
                      {session->webServerName(), session->localOrvoPluginAppVersion(), token})
                : Log::format("https://%@/api/v1/customer_plugin/check_update?os=mac&format=dmg&version=%@",
                              {session->webServerName(), session->localOrvoPluginAppVersion()});
        const std::optional<QUrl> url = UrlText::urlWithString(text);
        if (const Exchanged exchanged = exchange(fullName, url, false); exchanged.body) {
            result = handlePluginReplyBody(*exchanged.body);
        }
        if (session->cxPluginUpdateNeeded()) {
            Log::write("%s Orvo Customer Plugin Updated Version Available ....", fullName);
            OrvoPluginUpdater::getInstance()->checkOrvoPluginUpdate();
        }
    });
    return result;
}

bool ApiHandler::handlePluginReplyBody(const QByteArray& body)
{
    const char* fullName = "-[ApiHandler pluginUpdateCheckApi]";
    SessionDetails* session = SessionDetails::getInstance();
    const std::optional<JsonValue> reply = parsed(body);
    const std::optional<JsonValue> representation = valueForKey(reply, QStringLiteral("representation"));
    Log::write("%s response :  %@", fullName, describe(reply));
    if (representation && !representation->isObject()) {
        throw PlatformException(QStringLiteral("NSInvalidArgumentException"),
                                QStringLiteral("\"representation\" is not an object"));
    }
    if (representation &&
        refusesTooLong(fullName, *representation, {QLatin1String("download_url"), QLatin1String("update")})) {
        return false;
    }
    for (const auto& [key, value] : representation ? representation->members() : std::vector<JsonValue::Member>()) {
        if (key == QLatin1String("download_url")) {
            // The updater builds a URL from it; a value that is not text cannot name one.
            if (value.kind() == JsonValue::Kind::String) {
                session->setCxPluginDownloadUrl(value.toText());
            } else {
                Log::write("%s : download_url is not text, ignored : %@", fullName, value.description());
            }
        } else if (key == QLatin1String("update")) {
            session->setCxPluginUpdateNeeded(value.truthValue());
        }
    }
    return true;
}
