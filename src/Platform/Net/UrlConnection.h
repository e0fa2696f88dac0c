#pragma once

#include "Platform/Net/UrlError.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QObject;

// What a synchronous exchange hands back: the reply with its status, or the error that kept it from coming. Callers
// log both halves, so the error stays a UrlError rather than a Result's text.
struct [[nodiscard]] UrlResponse
{
    std::optional<QByteArray> body; // nothing when the exchange failed
    long statusCode = 0;            // 0 when there was no complete response
    std::optional<UrlError> error;
    std::optional<std::chrono::seconds> retryAfter; // the wait a reply asked for before another attempt
};

// A synchronous HTTPS GET, as the platform's synchronous URL connection.
class UrlConnection
{
public:
    // The request library's default idle time-out.
    static constexpr std::chrono::milliseconds defaultTimeout{60000};
    // Replies larger than this are refused rather than held in memory.
    static constexpr qint64 maximumBodySize = qint64{32} * 1024 * 1024;

    // Runs the exchange on libcurl and returns when it has ended. Meanwhile the calling thread waits in an event
    // loop that holds back keyboard and mouse input but still paints, closes windows and takes the quit signals;
    // callbacks posted with postOutsideWaits wait until it returns. An absent URL, or one that is not https, fails
    // as an unsupported URL. Redirects are followed only to https.
    static UrlResponse sendSynchronousRequest(const std::optional<QUrl>& url);
    // Whether a synchronous request is waiting on this thread.
    static bool isWaiting();
    // Runs callback from context's event loop as soon as no synchronous request waits, as a blocking request
    // would have it: callbacks held back during a wait run in the order they were posted once it has returned.
    static void postOutsideWaits(QObject* context, std::function<void()> callback);
};
