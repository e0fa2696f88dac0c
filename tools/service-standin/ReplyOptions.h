#pragma once

#include <QJsonObject>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The options any route accepts to shape or break its answer.
class ReplyOptions
{
public:
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::chrono::milliseconds delay{0};
    std::optional<std::string> body;
    bool neverAnswer = false;
    std::optional<std::size_t> dropAfter;
    // Bytes sent before the connection goes silent while staying open.
    std::optional<std::size_t> stallAfter;
    // Answers a Range request with the whole body and status 200, as servers without range support do.
    bool ignoreRange = false;
    // Sends the body in chunks without a Content-Length, as a server that does not say how long it is.
    bool chunked = false;
    std::chrono::milliseconds slow{0};
    std::size_t chunkBytes = 16384;
    // The faults above apply to this many answers of the route, counted from the last configuration change; later
    // answers are plain. Unset: every answer.
    std::optional<int> times;
    // Sends a file's ETag and Last-Modified and honours If-Range; false answers as a server without validators.
    bool validators = true;

    static std::optional<ReplyOptions> fromJson(const QJsonObject& object, std::string& error);
    // What the route answers once its faults have been used up: the same headers and validators, nothing broken.
    ReplyOptions plain() const;

    // Statuses whose responses never carry a body.
    bool bodyForbidden() const { return (status >= 100 && status < 200) || status == 204 || status == 304; }
};
