#pragma once

#include "Platform/Log/Result.h"

#include <QByteArray>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <curl/curl.h>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>

class QSocketNotifier;
class QTimer;

// One HTTPS transfer on libcurl's multi interface, driven from the calling thread's event loop by socket notifiers
// and a timer: no thread of its own, so nothing it allocates stays behind in another thread's memory pool. Every
// transfer of the process is one of these, with the options they all share set in one place.
class CurlTransfer : public QObject
{
public:
    // The bounds a transfer runs within.
    struct Limits
    {
        // Connecting, TLS handshake included.
        std::chrono::milliseconds connect{0};
        // The whole transfer; zero for no bound.
        std::chrono::milliseconds total{0};
        // Slower than a byte a second for this long fails the transfer; zero for no bound.
        std::chrono::seconds stalled{0};
        // A declared length over this is refused before any of the body is read; zero for no bound.
        qint64 maximumSize = 0;
        // The receive buffer; zero for libcurl's default.
        long receiveBuffer = 0;
    };

    // Receives body bytes; false stops the transfer with a write error.
    using BodyHandler = std::function<bool(const char* data, size_t size)>;
    // Runs once the transfer has ended, with libcurl's result.
    using DoneHandler = std::function<void(CURLcode result)>;

    // Redirects are followed this often at the most.
    static constexpr long maximumRedirects = 16;

    // Whether url names a location a transfer fetches: https only, as the plugin launches what it downloads.
    static bool fetches(const std::optional<QUrl>& url);
    // A transfer of url, https only and redirected only to https, with the process's TLS trust and limits; not yet
    // started. Fails when libcurl cannot make it or refuses one of its options.
    static Result<std::unique_ptr<CurlTransfer>> make(const QUrl& url, const Limits& limits);
    ~CurlTransfer() override;
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // The easy handle, for a user's own options and for what the transfer has learnt; options only before start().
    CURL* handle() const;
    // Where the body goes.
    void onBody(BodyHandler handler);
    // Runs whenever the connection is up or a header or body byte arrives.
    void onActivity(std::function<void()> handler);
    // Runs after each step of the transfer, once libcurl has done what the event asked of it.
    void onStep(std::function<void()> handler);
    // Runs from the event loop once the transfer has ended, never inside libcurl or a notifier's signal.
    void onDone(DoneHandler handler);
    // The request method, when it is not GET.
    Result<> setMethod(const QString& method);
    // Sends the request headers with the request.
    Result<> setHeaders(const QList<QPair<QString, QString>>& headers);
    // Asks for the bytes from offset on (0: the whole body), with an If-Range of condition when it is not empty, so
    // that a server whose body has changed since sends all of it; a transfer already started starts over.
    Result<> requestFrom(qint64 offset, const QByteArray& condition = QByteArray());
    // Starts the transfer; it goes on as the event loop runs.
    Result<> start();
    // libcurl's result, once the transfer has ended.
    std::optional<CURLcode> result() const;
    // The HTTP status of the last reply; 0 when none arrived.
    long status() const;
    // The wait the last reply asked for before another attempt (Retry-After), when it asked for one.
    std::optional<std::chrono::seconds> retryAfter() const;
    // The proxy, as "host:port" without its credentials, when one refused the tunnel for want of credentials (407,
    // or 401 as some proxies answer).
    QString refusingProxy() const;

private:
    CurlTransfer();

    static int socketCallback(CURL* easy, curl_socket_t socket, int what, void* self, void* socketData);
    static int timerCallback(CURLM* multi, long timeoutMs, void* self);
    static size_t writeCallback(char* data, size_t size, size_t count, void* self);
    static size_t headerCallback(char* data, size_t size, size_t count, void* self);
    static int connectedCallback(void* self, char* remoteIp, char* localIp, int remotePort, int localPort);

    Result<> setShared(const QUrl& url, const Limits& limits);
    void watch(curl_socket_t socket, int what);
    void act(curl_socket_t socket, int events);
    void end(CURLcode result);

    CURLM* m_multi = nullptr;
    CURL* m_easy = nullptr;
    curl_slist* m_headers = nullptr;
    QList<QByteArray> m_headerLines;
    QByteArray m_url;
    QByteArray m_range;
    bool m_added = false;
    QTimer* m_timer = nullptr;
    std::map<curl_socket_t, std::pair<QSocketNotifier*, QSocketNotifier*>> m_notifiers;
    std::optional<CURLcode> m_result;
    std::optional<CURLcode> m_refusal;
    BodyHandler m_onBody;
    std::function<void()> m_onActivity;
    std::function<void()> m_onStep;
    DoneHandler m_onDone;
};
