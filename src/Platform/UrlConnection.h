#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

// Why an exchange produced no response.
struct UrlError
{
    int code = 0;
    QString localizedDescription;

    // The error as a log line prints it.
    QString description() const;
};

// What a synchronous exchange hands back.
struct UrlResponse
{
    std::optional<QByteArray> body; // nothing when the exchange failed
    long statusCode = 0;            // 0 when there was no complete response
    std::optional<UrlError> error;
};

// A synchronous HTTPS GET, as the platform's synchronous URL connection.
class UrlConnection
{
public:
    // The request library's default idle time-out.
    static constexpr std::chrono::milliseconds defaultTimeout{60000};
    // Replies larger than this are refused rather than held in memory.
    static constexpr qint64 maximumBodySize = qint64{32} * 1024 * 1024;

    // Runs the exchange on a worker thread and blocks the calling thread, with its event loop, until it ends.
    // An absent URL fails as an unsupported URL. Redirects are followed unless they are less safe.
    static UrlResponse sendSynchronousRequest(const std::optional<QUrl>& url);
    // Sets the idle time-out used from now on; for tests that must not wait a minute.
    static void setTimeout(std::chrono::milliseconds timeout);
};
