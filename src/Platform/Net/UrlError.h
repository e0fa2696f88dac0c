#pragma once

#include <QString>

#include <chrono>
#include <optional>

// The URL error codes the platform reports; the numbers are the platform's, as log lines print them.
enum class UrlErrorCode : int
{
    Unknown = -1,
    Cancelled = -999,
    TimedOut = -1001,
    UnsupportedUrl = -1002,
    CannotFindHost = -1003,
    CannotConnectToHost = -1004,
    NetworkConnectionLost = -1005,
    HttpTooManyRedirects = -1007,
    BadServerResponse = -1011,
    DataLengthExceedsMaximum = -1103,
    SecureConnectionFailed = -1200,
    CannotCreateFile = -3000,
    CannotWriteToFile = -3003,
    CannotMoveFile = -3005,
};

// Why an exchange or a download failed: the code, its localised description and, for a download, the failing URL
// and the HTTP status of a reply that was not a success.
struct UrlError
{
    UrlErrorCode code = UrlErrorCode::Unknown;
    QString localizedDescription;
    // The failing URL as text, "(null)" when the request had no valid URL; empty for a synchronous exchange.
    QString failingUrlString;
    // The HTTP status of the final reply; 0 when none arrived.
    long httpStatus = 0;
    // The wait the server asked for before another attempt (Retry-After), when it asked for one.
    std::optional<std::chrono::seconds> retryAfter;
    // The proxy, as "host:port", that refused to carry the request for want of valid credentials (HTTP 407).
    QString refusingProxy;

    // Whether another attempt soon may well succeed: a refused, reset, cut, stalled or timed-out connection, a host
    // not found, or HTTP 408, 429 or 5xx. Trust, size, file and other HTTP failures stay as they are.
    bool isTransient() const;
    // The code as the number log lines print.
    int number() const;
    // The error as a log line prints it: with its user info when it names a failing URL, whose user and password
    // are masked; outside characters escaped.
    QString description() const;
};
