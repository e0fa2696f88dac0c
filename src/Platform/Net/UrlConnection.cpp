#include "Platform/Net/UrlConnection.h"

#include "Platform/Net/CurlError.h"
#include "Platform/Net/Tls.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <curl/curl.h>
#include <deque>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Keeps keyboard and mouse input from every window while it lives, as a blocked thread would; painting, the close
// box and timers go on. The event loop's own exclusion of input cannot serve: on X11 it holds back the window
// manager's close request as well.
class InputHold : public QObject
{
public:
    InputHold()
    {
        if (QCoreApplication* application = QCoreApplication::instance()) {
            application->installEventFilter(this);
        }
    }
    ~InputHold() override
    {
        if (QCoreApplication* application = QCoreApplication::instance()) {
            application->removeEventFilter(this);
        }
    }
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::ContextMenu:
            return true;
        default:
            return QObject::eventFilter(watched, event);
        }
    }
};

std::atomic<qint64> timeoutMs{UrlConnection::defaultTimeout.count()};
constexpr long maximumRedirects = 16;
// The state of the waits, kept on the thread that waits: how deeply they nest and what they hold back.
int waitDepth = 0;
std::deque<std::pair<QPointer<QObject>, std::function<void()>>> heldCallbacks;

UrlError errorFor(CURLcode code)
{
    // A check starts only at an https location, so only a redirect can lead to another scheme.
    if (code == CURLE_UNSUPPORTED_PROTOCOL) {
        return {-1007, QStringLiteral("The redirect was refused because it leads to a less safe location.")};
    }
    auto [number, description] = CurlError::urlError(code);
    return {number, std::move(description)};
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

// One exchange, driven by libcurl's multi interface from the calling thread's event loop: no thread of its own,
// so nothing it allocates stays behind in another thread's memory pool.
struct UrlConnection::Exchange
{
    CURLM* multi = curl_multi_init();
    CURL* easy = nullptr;
    QEventLoop loop;
    QTimer curlTimer;
    QTimer idleTimer;
    std::map<curl_socket_t, std::pair<std::unique_ptr<QSocketNotifier>, std::unique_ptr<QSocketNotifier>>> watches;
    // Notifiers curl is done with, possibly inside their own signal: kept until the exchange ends.
    std::vector<std::unique_ptr<QSocketNotifier>> retired;
    std::optional<CURLcode> result;
    QByteArray body;
    bool tooLarge = false;
    bool idle = false;

    ~Exchange()
    {
        if (multi && easy) {
            curl_multi_remove_handle(multi, easy);
        }
        if (multi) {
            curl_multi_cleanup(multi);
        }
    }

    void act(curl_socket_t socket, int events)
    {
        int running = 0;
        curl_multi_socket_action(multi, socket, events, &running);
        int queued = 0;
        while (const CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                result = message->data.result;
                loop.quit();
            }
        }
    }

    void watch(curl_socket_t socket, int what)
    {
        auto it = watches.find(socket);
        if (what == CURL_POLL_REMOVE) {
            if (it != watches.end()) {
                for (auto* notifier : {&it->second.first, &it->second.second}) {
                    (*notifier)->setEnabled(false);
                    retired.push_back(std::move(*notifier));
                }
                watches.erase(it);
            }
            return;
        }
        if (it == watches.end()) {
            auto read = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
            auto write = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
            QObject::connect(read.get(), &QSocketNotifier::activated, &loop,
                             [this, socket] { act(socket, CURL_CSELECT_IN); });
            QObject::connect(write.get(), &QSocketNotifier::activated, &loop,
                             [this, socket] { act(socket, CURL_CSELECT_OUT); });
            it = watches.emplace(socket, std::make_pair(std::move(read), std::move(write))).first;
        }
        it->second.first->setEnabled(what == CURL_POLL_IN || what == CURL_POLL_INOUT);
        it->second.second->setEnabled(what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
    }

    static int onSocket(CURL* /*easy*/, curl_socket_t socket, int what, void* self, void* /*socketData*/)
    {
        static_cast<Exchange*>(self)->watch(socket, what);
        return 0;
    }

    static int onTimer(CURLM* /*multi*/, long timeoutMs, void* self)
    {
        QTimer& timer = static_cast<Exchange*>(self)->curlTimer;
        if (timeoutMs < 0) {
            timer.stop();
        } else {
            timer.start(static_cast<int>(std::min(timeoutMs, 24L * 3600 * 1000)));
        }
        return 0;
    }

    static size_t onBody(char* data, size_t size, size_t count, void* self)
    {
        auto* exchange = static_cast<Exchange*>(self);
        const size_t bytes = size * count;
        exchange->idleTimer.start();
        if (exchange->body.size() + static_cast<qint64>(bytes) > maximumBodySize) {
            exchange->tooLarge = true;
            exchange->body.clear();
            return 0;
        }
        exchange->body.append(data, static_cast<qsizetype>(bytes));
        return bytes;
    }

    static size_t onHeader(char* /*data*/, size_t size, size_t count, void* self)
    {
        static_cast<Exchange*>(self)->idleTimer.start();
        return size * count;
    }

    // The connection is up and the request about to go: the idle time counts from here.
    static int onConnected(void* self, char* /*remoteIp*/, char* /*localIp*/, int /*remotePort*/, int /*localPort*/)
    {
        static_cast<Exchange*>(self)->idleTimer.start();
        return CURL_PREREQFUNC_OK;
    }
};

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
    exchange.easy = easy.get();
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
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Exchange::onBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &Exchange::onHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, &Exchange::onConnected);
    curl_easy_setopt(handle, CURLOPT_PREREQDATA, &exchange);
    curl_multi_setopt(exchange.multi, CURLMOPT_SOCKETFUNCTION, &Exchange::onSocket);
    curl_multi_setopt(exchange.multi, CURLMOPT_SOCKETDATA, &exchange);
    curl_multi_setopt(exchange.multi, CURLMOPT_TIMERFUNCTION, &Exchange::onTimer);
    curl_multi_setopt(exchange.multi, CURLMOPT_TIMERDATA, &exchange);
    exchange.curlTimer.setSingleShot(true);
    QObject::connect(&exchange.curlTimer, &QTimer::timeout, &exchange.loop,
                     [&exchange] { exchange.act(CURL_SOCKET_TIMEOUT, 0); });
    exchange.idleTimer.setSingleShot(true);
    exchange.idleTimer.setInterval(std::chrono::milliseconds(timeout));
    QObject::connect(&exchange.idleTimer, &QTimer::timeout, &exchange.loop, [&exchange] {
        exchange.idle = true;
        exchange.loop.quit();
    });

    // The thread waits as if blocked: no input is taken and no download reports, but its windows still paint and
    // close and the quit signals still end the process.
    ++waitDepth;
    const bool started = exchange.multi && curl_multi_add_handle(exchange.multi, handle) == CURLM_OK;
    if (started) {
        const InputHold hold;
        exchange.loop.exec();
    }
    if (--waitDepth == 0) {
        releaseHeldCallbacks();
    }

    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    // Every status is an exchange that succeeded; what it means is the caller's business.
    if (exchange.result == CURLE_OK && status > 0) {
        response.statusCode = status;
        response.body = std::move(exchange.body);
        return response;
    }
    if (exchange.tooLarge) {
        response.error = errorFor(CURLE_FILESIZE_EXCEEDED);
    } else if (exchange.idle) {
        response.error = errorFor(CURLE_OPERATION_TIMEDOUT);
    } else if (exchange.result) {
        response.error = errorFor(*exchange.result);
    } else if (!started) {
        response.error = UrlError{-1, QStringLiteral("unknown error")};
    } else {
        // The event loop was told to end before the exchange did: the application is quitting.
        response.error = UrlError{-999, QStringLiteral("cancelled")};
    }
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
