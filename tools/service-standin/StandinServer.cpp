#include "StandinServer.h"

#include "CheckReplies.h"
#include "StandinConfig.h"

#include <QJsonDocument>

#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <httplib.h>
#include <iostream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <vector>

namespace {

constexpr auto agentCheckPath = "/api/v2/agent/check_update";
constexpr auto pluginCheckPath = "/api/v1/customer_plugin/check_update";
constexpr auto agentImagePath = "/agent/OrvoMac.dmg";
constexpr auto pluginImagePath = "/agent/OrvoPlugin.dmg";
constexpr auto jsonType = "application/json";
constexpr auto binaryType = "application/octet-stream";
constexpr auto maxSilentHold = std::chrono::seconds(120);

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The path part of the raw target, percent-decoded except for %2F so an encoded slash never matches a route.
std::string routePath(const std::string& target)
{
    const std::string raw = target.substr(0, target.find('?'));
    std::string path;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size()) {
            const int high = hexDigit(raw[i + 1]);
            const int low = hexDigit(raw[i + 2]);
            const char decoded = static_cast<char>(high * 16 + low);
            if (high >= 0 && low >= 0 && decoded != '/') {
                path += decoded;
                i += 2;
                continue;
            }
        }
        path += raw[i];
    }
    return path;
}

void textReply(httplib::Response& response, int status, const std::string& text)
{
    response.status = status;
    response.set_content(text, "text/plain");
}

void configError(httplib::Response& response, const std::string& message)
{
    std::cerr << "orvo-service-standin: " << message << std::endl;
    textReply(response, 500, message);
}

bool sameHeaderName(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// Ends the connection without another byte; httplib's own write afterwards then fails quietly.
void cutConnection(int fd)
{
    if (fd >= 0) {
        ::shutdown(fd, SHUT_RDWR);
    }
}

// httplib 0.11 answers a range past the end with a broken 206, so that case is caught first.
bool rangesSatisfiable(const httplib::Ranges& ranges, std::size_t size)
{
    return std::all_of(ranges.begin(), ranges.end(), [size](const httplib::Range& range) {
        const auto [first, last] = range;
        if (first < 0) {
            return last > 0 && size > 0;
        }
        return static_cast<std::size_t>(first) < size && (last < 0 || last >= first);
    });
}

// RFC 9110, 13.1.5: a Range with If-Range is served only when the validator matches the current one exactly, an
// entity tag strongly; otherwise the whole body goes out with status 200.
bool ifRangeHolds(const httplib::Request& request, const BodySource* body)
{
    if (!request.has_header("If-Range") || request.ranges.empty()) {
        return true;
    }
    const std::string condition = request.get_header_value("If-Range");
    if (!body || condition.rfind("W/", 0) == 0) {
        return false;
    }
    return condition == (condition.rfind('"', 0) == 0 ? body->entityTag() : body->lastModified());
}

std::string httpDate(std::time_t at)
{
    std::tm utc{};
    char date[64];
    return ::gmtime_r(&at, &utc) && std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S GMT", &utc)
               ? std::string(date)
               : std::string();
}

// Tells one writing of the configuration from the next, even with the same content.
std::string configStamp(const std::string& path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0) {
        return std::string();
    }
    return std::to_string(info.st_mtim.tv_sec) + '.' + std::to_string(info.st_mtim.tv_nsec) + ' ';
}

int socketOf(const httplib::Request& request)
{
    return request.ssl ? SSL_get_fd(request.ssl) : -1;
}

} // namespace

StandinServer::StandinServer(StandinOptions options)
    : options_(std::move(options)),
      server_(std::make_unique<httplib::SSLServer>(options_.certFile.c_str(), options_.keyFile.c_str())),
      recorder_(options_.recordFile), times_(options_.timesFile)
{
    // Held or slow connections must not starve the rest of a test.
    server_->new_task_queue = [] {
        return new httplib::ThreadPool(32);
    };
    // Short, so a stop is not held up by idle keep-alive connections.
    server_->set_keep_alive_timeout(2);
    // httplib's default adds SO_REUSEPORT, which would let a second stand-in share a fixed port unnoticed.
    server_->set_socket_options([this](int fd) {
        const int yes = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        // Accepted connections inherit it. Without it a reply's body waits for the client's delayed
        // acknowledgement of its headers on a kept-alive connection: 40 ms on every check.
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
        listenSocket_ = fd;
    });

    server_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        recorder_.record(request);
        static const std::vector<std::string> routed{"GET", "HEAD", "POST", "PUT", "PATCH", "DELETE", "OPTIONS"};
        if (std::find(routed.begin(), routed.end(), request.method) == routed.end()) {
            response.set_header("Allow", "GET");
            response.set_header("Connection", "close");
            textReply(response, 405, "method not allowed\n");
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    // Registered per method so httplib reads any request body before answering.
    const std::string anyPath = R"([\s\S]*)";
    const auto notAllowed = [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Allow", "GET");
        textReply(response, 405, "method not allowed\n");
    };
    server_->Post(anyPath, notAllowed);
    server_->Put(anyPath, notAllowed);
    server_->Patch(anyPath, notAllowed);
    server_->Delete(anyPath, notAllowed);
    server_->Options(anyPath, notAllowed);
    // httplib sends HEAD here too.
    server_->Get(anyPath, [this, notAllowed](const httplib::Request& request, httplib::Response& response) {
        if (request.method != "GET") {
            notAllowed(request, response);
            return;
        }
        handleGet(request, response);
    });
}

StandinServer::~StandinServer() = default;

bool StandinServer::isValid() const
{
    return server_->is_valid();
}

int StandinServer::bind()
{
    const int port = options_.port == 0 ? server_->bind_to_any_port(options_.address)
                                        : (server_->bind_to_port(options_.address, options_.port) ? options_.port : -1);
    // httplib listens with a backlog of 5; a burst of test connections would then wait on SYN retries.
    if (port > 0 && listenSocket_ >= 0) {
        ::listen(listenSocket_, SOMAXCONN);
    }
    return port;
}

bool StandinServer::run()
{
    return server_->listen_after_bind();
}

void StandinServer::stop()
{
    latch_.trigger();
    server_->stop();
}

void StandinServer::handleGet(const httplib::Request& request, httplib::Response& response)
{
    const StandinConfig config = StandinConfig::load(options_.configFile);
    if (!config.isValid()) {
        configError(response, config.error());
        return;
    }

    const std::string path = routePath(request.target);
    QJsonObject section;
    std::string generated;
    std::string contentType = binaryType;
    std::optional<std::string> file;
    if (path == agentCheckPath) {
        section = config.section("agent");
        generated = CheckReplies::agent(section);
        contentType = jsonType;
    } else if (path == pluginCheckPath) {
        section = config.section("plugin");
        generated = CheckReplies::plugin(section);
        contentType = jsonType;
    } else if (path == agentImagePath || path == pluginImagePath) {
        const bool agent = path == agentImagePath;
        section = config.section(agent ? "agentImage" : "pluginImage");
        const QJsonValue configured = section.value(QLatin1String("file"));
        if (!configured.isUndefined() && !configured.isNull() && !configured.isString()) {
            configError(response, "stand-in config: image \"file\" must be a path");
            return;
        }
        // The config wins over the command line so tests can switch images without a restart.
        file = configured.isString() ? configured.toString().toStdString()
                                     : (agent ? options_.agentImage : options_.pluginImage);
    } else if (const auto mapped = config.mappedFile(path)) {
        file = *mapped;
    } else {
        textReply(response, 404, "not found\n");
        return;
    }

    std::string error;
    auto reply = ReplyOptions::fromJson(section, error);
    if (!reply) {
        configError(response, error);
        return;
    }
    if (reply->times &&
        countAnswer(path, configStamp(options_.configFile) +
                              QJsonDocument(section).toJson(QJsonDocument::Compact).toStdString()) > *reply->times) {
        reply = reply->plain();
    }

    std::shared_ptr<BodySource> body;
    if (reply->body) {
        body = BodySource::fromText(*reply->body);
    } else if (file) {
        body = file->empty() ? nullptr : BodySource::fromFile(*file);
        if (!body) {
            textReply(response, 404, "file not found\n");
            return;
        }
    } else {
        body = BodySource::fromText(std::move(generated));
    }
    answer(request, response, *reply, body, std::move(contentType));
}

void StandinServer::answer(const httplib::Request& request, httplib::Response& response, const ReplyOptions& reply,
                           const std::shared_ptr<BodySource>& body, std::string contentType)
{
    const int fd = socketOf(request);
    if (reply.delay.count() > 0 && !latch_.sleepFor(reply.delay)) {
        cutConnection(fd);
        return;
    }
    if (reply.neverAnswer) {
        holdSilently(fd);
        cutConnection(fd);
        return;
    }

    // Left unset for 200 so httplib answers a Range request with a proper 206.
    if (reply.status != 200) {
        response.status = reply.status;
    }
    for (const auto& [name, value] : reply.headers) {
        if (sameHeaderName(name, "Content-Type")) {
            contentType = value;
        } else {
            response.set_header(name, value);
        }
    }
    if (reply.bodyForbidden()) {
        return;
    }
    if (body->size() == 0) {
        response.set_content(std::string(), contentType);
        return;
    }

    if (reply.validators && !body->entityTag().empty()) {
        response.set_header("ETag", body->entityTag());
        response.set_header("Last-Modified", body->lastModified());
        response.set_header("Date", httpDate(std::time(nullptr)));
    }
    if (reply.ignoreRange || reply.chunked || !ifRangeHolds(request, reply.validators ? body.get() : nullptr)) {
        // httplib cuts the body to any parsed range; without them it sends the whole body with status 200.
        const_cast<httplib::Request&>(request).ranges.clear();
    } else if (!rangesSatisfiable(request.ranges, body->size())) {
        response.status = 416;
        response.set_header("Content-Range", "bytes */" + std::to_string(body->size()));
        return;
    }

    // Counted per response rather than by offset, so faults apply to what is sent, ranges included.
    struct Progress
    {
        std::vector<char> buffer;
        std::size_t sent = 0;
        // The first of the two limits ends what is sent; which one decides how the connection ends.
        std::optional<std::size_t> limit;
        bool stalls = false;
    };
    const auto progress = std::make_shared<Progress>();
    progress->buffer.resize(std::min(reply.chunkBytes, body->size()));
    progress->limit = reply.dropAfter;
    if (reply.stallAfter && (!progress->limit || *reply.stallAfter < *progress->limit)) {
        progress->limit = reply.stallAfter;
        progress->stalls = true;
    }
    const auto slow = reply.slow;
    const auto started = std::chrono::steady_clock::now();
    const std::string target = request.target;
    const auto send = [this, body, progress, slow, fd, started, target](std::size_t offset, std::size_t length,
                                                                        httplib::DataSink& sink) {
        const auto limit = progress->limit;
        if (limit && progress->sent >= *limit) {
            if (progress->stalls) {
                holdSilently(fd);
            }
            cutConnection(fd);
            return false;
        }
        if (progress->sent > 0 && slow.count() > 0 && !latch_.sleepFor(slow)) {
            return false;
        }
        std::size_t chunk = std::min(length, progress->buffer.size());
        if (limit) {
            chunk = std::min(chunk, *limit - progress->sent);
        }
        if (!body->read(offset, progress->buffer.data(), chunk)) {
            std::cerr << "orvo-service-standin: body file changed while being sent" << std::endl;
            return false;
        }
        progress->sent += chunk;
        if (!sink.write(progress->buffer.data(), chunk)) {
            return false;
        }
        // The service side's time for the whole body, as a benchmark compares clients by it.
        if (chunk == length) {
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
            times_.recordLine(target + ' ' + std::to_string(progress->sent) + ' ' + std::to_string(took.count()) +
                              '\n');
        }
        return true;
    };
    if (reply.chunked) {
        response.set_chunked_content_provider(contentType, [body, send](std::size_t offset, httplib::DataSink& sink) {
            if (offset >= body->size()) {
                sink.done();
                return true;
            }
            return send(offset, body->size() - offset, sink);
        });
        return;
    }
    response.set_content_provider(body->size(), contentType, send);
}

int StandinServer::countAnswer(const std::string& route, const std::string& section)
{
    const std::lock_guard<std::mutex> locked(countsLock_);
    auto& [seen, count] = answerCounts_[route];
    if (seen != section) {
        seen = section;
        count = 0;
    }
    return ++count;
}

void StandinServer::holdSilently(int fd)
{
    const auto deadline = std::chrono::steady_clock::now() + maxSilentHold;
    while (fd >= 0 && !latch_.triggered() && std::chrono::steady_clock::now() < deadline) {
        pollfd watch{fd, POLLRDHUP, 0};
        // Short slices so a stop is noticed quickly; any event means the client went away.
        if (::poll(&watch, 1, 100) != 0) {
            break;
        }
    }
}
