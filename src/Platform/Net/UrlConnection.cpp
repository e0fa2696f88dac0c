#include "Platform/Net/UrlConnection.h"

#include "Platform/Log/TestHooks.h"
#include "Platform/Net/CurlError.h"
#include "Platform/Net/CurlTransfer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <memory>
#include <utility>

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

// The state of the waits, kept on the thread that waits: how deeply they nest and what they hold back.
int waitDepth = 0;
std::deque<std::pair<QPointer<QObject>, std::function<void()>>> heldCallbacks;

UrlError errorFor(CURLcode code)
{
    // A check starts only at an https location, so only a redirect can lead to another scheme.
    if (code == CURLE_UNSUPPORTED_PROTOCOL) {
        return {UrlErrorCode::HttpTooManyRedirects,
                QStringLiteral("The redirect was refused because it leads to a less safe location."),
                {},
                0,
                {},
                {}};
    }
    return CurlError::urlError(code);
}

UrlError unknownError()
{
    return {UrlErrorCode::Unknown, QStringLiteral("unknown error"), {}, 0, {}, {}};
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

UrlResponse UrlConnection::sendSynchronousRequest(const std::optional<QUrl>& url)
{
    UrlResponse response;
    if (!CurlTransfer::fetches(url)) {
        response.error = UrlError{UrlErrorCode::UnsupportedUrl, QStringLiteral("unsupported URL"), {}, 0, {}, {}};
        return response;
    }
    const std::chrono::milliseconds timeout = TestHooks::checkTimeout.value_or(UrlConnection::defaultTimeout);
    CurlTransfer::Limits limits;
    limits.connect = timeout;
    // The idle time-out bounds each pause; this bounds a reply that trickles in forever.
    limits.total = timeout * 5;
    // A declared length over the cap is refused before any of the body is read.
    limits.maximumSize = maximumBodySize;
    Result<std::unique_ptr<CurlTransfer>> made = CurlTransfer::make(*url, limits);
    if (!made) {
        response.error = unknownError();
        return response;
    }
    CurlTransfer& transfer = *made.value();
    QEventLoop loop;
    QTimer idleTimer;
    QByteArray body;
    bool tooLarge = false;
    bool idle = false;
    // The idle time counts from the moment the connection is up and the request about to go.
    transfer.onActivity([&idleTimer] { idleTimer.start(); });
    transfer.onBody([&body, &tooLarge](const char* data, size_t size) {
        if (body.size() + static_cast<qint64>(size) > maximumBodySize) {
            tooLarge = true;
            body.clear();
            return false;
        }
        body.append(data, static_cast<qsizetype>(size));
        return true;
    });
    transfer.onDone([&loop](CURLcode /*result*/) { loop.quit(); });
    idleTimer.setSingleShot(true);
    idleTimer.setInterval(timeout);
    QObject::connect(&idleTimer, &QTimer::timeout, &loop, [&loop, &idle] {
        idle = true;
        loop.quit();
    });

    // The thread waits as if blocked: no input is taken and no download reports, but its windows still paint and
    // close and the quit signals still end the process.
    ++waitDepth;
    const Result<> started = transfer.start();
    if (started) {
        const InputHold hold;
        loop.exec();
    }
    if (--waitDepth == 0) {
        releaseHeldCallbacks();
    }

    const long status = transfer.status();
    const std::optional<CURLcode> result = transfer.result();
    // Every status is an exchange that succeeded; what it means is the caller's business.
    response.retryAfter = transfer.retryAfter();
    if (result == CURLE_OK && status > 0) {
        response.statusCode = status;
        response.body = std::move(body);
        return response;
    }
    if (tooLarge) {
        response.error = errorFor(CURLE_FILESIZE_EXCEEDED);
    } else if (idle) {
        response.error = errorFor(CURLE_OPERATION_TIMEDOUT);
    } else if (result) {
        response.error = errorFor(*result);
    } else if (!started) {
        response.error = unknownError();
    } else {
        // The event loop was told to end before the exchange did: the application is quitting.
        response.error = UrlError{UrlErrorCode::Cancelled, QStringLiteral("cancelled"), {}, 0, {}, {}};
    }
    response.error->refusingProxy = transfer.refusingProxy();
    return response;
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
