#include "Platform/UrlConnection.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

namespace {

std::atomic<qint64> timeoutMs{UrlConnection::defaultTimeout.count()};

UrlError errorFor(QNetworkReply::NetworkError error, bool timedOut, bool tooLarge, const QString& detail)
{
    if (tooLarge) {
        return {-1103, QStringLiteral("resource exceeds maximum size")};
    }
    if (timedOut) {
        return {-1001, QStringLiteral("The request timed out.")};
    }
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return {-1004, QStringLiteral("Could not connect to the server.")};
    case QNetworkReply::HostNotFoundError:
        return {-1003, QStringLiteral("A server with the specified hostname could not be found.")};
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return {-1001, QStringLiteral("The request timed out.")};
    case QNetworkReply::RemoteHostClosedError:
        return {-1005, QStringLiteral("The network connection was lost.")};
    case QNetworkReply::SslHandshakeFailedError:
        return {-1200,
                QStringLiteral("An SSL error has occurred and a secure connection to the server cannot be made.")};
    case QNetworkReply::ProtocolUnknownError:
        return {-1002, QStringLiteral("unsupported URL")};
    case QNetworkReply::TooManyRedirectsError:
        return {-1007, QStringLiteral("too many HTTP redirects")};
    case QNetworkReply::InsecureRedirectError:
        return {-1007, QStringLiteral("The redirect was refused because it leads to a less safe location.")};
    default:
        return {-1, detail.isEmpty() ? QStringLiteral("unknown error") : detail};
    }
}

// Errors of the transport itself. Every other error Qt reports once a status line has arrived (400, 407, 418, 503
// and so on) only restates that status, so the exchange succeeded.
bool isTransportError(QNetworkReply::NetworkError error)
{
    return (error > QNetworkReply::NoError && error <= QNetworkReply::UnknownNetworkError) ||
           error == QNetworkReply::ProtocolFailure;
}

// How much Qt may hold unread; the body is taken from it as it arrives, so the size cap bounds the memory.
constexpr qint64 readChunkSize = qint64{256} * 1024;

UrlResponse exchange(const QUrl& url, qint64 timeout)
{
    QNetworkAccessManager manager;
    manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(timeout));
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    reply->setReadBufferSize(readChunkSize);

    bool timedOut = false;
    bool tooLarge = false;
    QByteArray body;
    QEventLoop loop;
    const auto takeBody = [&] {
        if (tooLarge) {
            return;
        }
        body += reply->read(UrlConnection::maximumBodySize + 1 - body.size());
        if (body.size() > UrlConnection::maximumBodySize) {
            tooLarge = true;
            body.clear();
            reply->abort();
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, takeBody);
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        // A declared length over the cap is refused before any of it is read.
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > UrlConnection::maximumBodySize && !tooLarge) {
            tooLarge = true;
            reply->abort();
        }
    });
    // The idle time-out bounds each pause; this bounds a reply that trickles in forever.
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    deadline.start(std::chrono::milliseconds(timeout * 5));
    if (!reply->isFinished()) {
        loop.exec();
    }
    takeBody();

    UrlResponse response;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!timedOut && !tooLarge && status.isValid() && !isTransportError(reply->error())) {
        response.statusCode = status.toInt();
        response.body = body;
        return response;
    }
    response.error = errorFor(reply->error(), timedOut, tooLarge, reply->errorString());
    return response;
}

} // namespace

QString UrlError::description() const
{
    return QStringLiteral("Error Domain=NSURLErrorDomain Code=%1 \"%2\"").arg(code).arg(localizedDescription);
}

UrlResponse UrlConnection::sendSynchronousRequest(const std::optional<QUrl>& url)
{
    if (!url) {
        UrlResponse response;
        response.error = UrlError{-1002, QStringLiteral("unsupported URL")};
        return response;
    }
    const qint64 timeout = timeoutMs.load();
    UrlResponse response;
    // The caller's thread truly blocks: no event of its own runs until the exchange ends.
    std::unique_ptr<QThread> worker(QThread::create([&] { response = exchange(*url, timeout); }));
    worker->start();
    worker->wait();
    return response;
}

void UrlConnection::setTimeout(std::chrono::milliseconds timeout)
{
    timeoutMs = timeout.count();
}
