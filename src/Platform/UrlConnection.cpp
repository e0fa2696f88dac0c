#include "Platform/UrlConnection.h"

#include "Platform/Tls.h"

#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <curl/curl.h>
#include <deque>
#include <memory>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<qint64> timeoutMs{UrlConnection::defaultTimeout.count()};
constexpr long maximumRedirects = 16;
// The state of the waits, kept on the thread that waits: how deeply they nest and what they hold back.
int waitDepth = 0;
std::deque<std::pair<QPointer<QObject>, std::function<void()>>> heldCallbacks;

// What libcurl's callbacks on the worker thread keep for the one exchange.
struct Exchange
{
    Clock::duration idleLimit{};
    Clock::time_point lastActivity = Clock::now();
    QByteArray body;
    bool tooLarge = false;
    bool idle = false;
};

size_t takeBody(char* data, size_t size, size_t count, void* state)
{
    auto* exchange = static_cast<Exchange*>(state);
    const size_t bytes = size * count;
    exchange->lastActivity = Clock::now();
    if (exchange->body.size() + static_cast<qint64>(bytes) > UrlConnection::maximumBodySize) {
        exchange->tooLarge = true;
        exchange->body.clear();
        return 0;
    }
    exchange->body.append(data, static_cast<qsizetype>(bytes));
    return bytes;
}

size_t takeHeader(char* /*data*/, size_t size, size_t count, void* state)
{
    static_cast<Exchange*>(state)->lastActivity = Clock::now();
    return size * count;
}

// The connection is up and the request about to go: the idle time counts from here.
int connected(void* state, char* /*remoteIp*/, char* /*localIp*/, int /*remotePort*/, int /*localPort*/)
{
    static_cast<Exchange*>(state)->lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

// Called about once a second while nothing moves, and whenever something does.
int checkIdle(void* state, curl_off_t /*dlTotal*/, curl_off_t /*dlNow*/, curl_off_t /*ulTotal*/, curl_off_t /*ulNow*/)
{
    auto* exchange = static_cast<Exchange*>(state);
    if (Clock::now() - exchange->lastActivity > exchange->idleLimit) {
        exchange->idle = true;
        return 1;
    }
    return 0;
}

UrlError errorFor(CURLcode code, const Exchange& exchange)
{
    if (exchange.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
        return {-1103, QStringLiteral("resource exceeds maximum size")};
    }
    if (exchange.idle || code == CURLE_OPERATION_TIMEDOUT) {
        return {-1001, QStringLiteral("The request timed out.")};
    }
    switch (code) {
    case CURLE_COULDNT_CONNECT:
        return {-1004, QStringLiteral("Could not connect to the server.")};
    case CURLE_COULDNT_RESOLVE_HOST:
        return {-1003, QStringLiteral("A server with the specified hostname could not be found.")};
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
        return {-1005, QStringLiteral("The network connection was lost.")};
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return {-1200,
                QStringLiteral("An SSL error has occurred and a secure connection to the server cannot be made.")};
    case CURLE_URL_MALFORMAT:
        return {-1002, QStringLiteral("unsupported URL")};
    case CURLE_UNSUPPORTED_PROTOCOL:
        // The first location is https, so only a redirect can lead elsewhere.
        return {-1007, QStringLiteral("The redirect was refused because it leads to a less safe location.")};
    case CURLE_TOO_MANY_REDIRECTS:
        return {-1007, QStringLiteral("too many HTTP redirects")};
    default:
        return {-1, QString::fromUtf8(curl_easy_strerror(code))};
    }
}

void releaseHeldCallbacks()
{
    std::deque<std::pair<QPointer<QObject>, std::function<void()>>> held;
    held.swap(heldCallbacks);
    for (auto& [context, callback] : held) {
        if (context) {
            UrlConnection::postOutsideWaits(context, std::move(callback));
        }
    }
}

} // namespace

QString UrlError::description() const
{
    return QStringLiteral("Error Domain=NSURLErrorDomain Code=%1 \"%2\"").arg(code).arg(localizedDescription);
}

UrlResponse UrlConnection::sendSynchronousRequest(const std::optional<QUrl>& url)
{
    UrlResponse response;
    if (!url || !url->isValid() || url->scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0) {
        response.error = UrlError{-1002, QStringLiteral("unsupported URL")};
        return response;
    }
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(Tls::newTransfer(), &curl_easy_cleanup);
    if (!easy) {
        response.error = UrlError{-1, QStringLiteral("unknown error")};
        return response;
    }
    const QByteArray location = url->toEncoded();
    const qint64 timeout = timeoutMs.load();
    Exchange exchange;
    exchange.idleLimit = std::chrono::milliseconds(timeout);
    CURL* handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_URL, location.constData());
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, maximumRedirects);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout));
    // The idle time-out bounds each pause; this bounds a reply that trickles in forever.
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout * 5));
    // A declared length over the cap is refused before any of the body is read.
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maximumBodySize));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &takeBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &takeHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, &connected);
    curl_easy_setopt(handle, CURLOPT_PREREQDATA, &exchange);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &checkIdle);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &exchange);

    // libcurl blocks its thread; this one keeps its windows and quit signals alive meanwhile, but no input is
    // taken and no download reports, as if it were blocked too.
    CURLcode code = CURLE_OK;
    QEventLoop loop;
    const std::unique_ptr<QThread> worker(QThread::create([&code, handle] { code = curl_easy_perform(handle); }));
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    ++waitDepth;
    worker->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    if (--waitDepth == 0) {
        releaseHeldCallbacks();
    }

    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    // Every status is an exchange that succeeded; what it means is the caller's business.
    if (code == CURLE_OK && status > 0) {
        response.statusCode = status;
        response.body = std::move(exchange.body);
        return response;
    }
    response.error = errorFor(code, exchange);
    return response;
}

void UrlConnection::setTimeout(std::chrono::milliseconds timeout)
{
    timeoutMs = timeout.count();
}

bool UrlConnection::isWaiting()
{
    return waitDepth > 0;
}

void UrlConnection::postOutsideWaits(QObject* context, std::function<void()> callback)
{
    QTimer::singleShot(0, context, [context, callback = std::move(callback)] {
        if (waitDepth > 0) {
            heldCallbacks.emplace_back(context, callback);
            return;
        }
        callback();
    });
}
