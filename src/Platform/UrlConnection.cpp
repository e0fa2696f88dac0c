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

// A reply error that only reports the HTTP status: the exchange itself succeeded.
bool isStatusOnly(QNetworkReply::NetworkError error)
{
    return error == QNetworkReply::NoError ||
           (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError) ||
           (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
}

UrlResponse exchange(const QUrl& url, qint64 timeout)
{
    QNetworkAccessManager manager;
    manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkRequest request(url);
    request.setTransferTimeout(static_cast<int>(timeout));
    std::unique_ptr<QNetworkReply> reply(manager.get(request));

    bool timedOut = false;
    bool tooLarge = false;
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64) {
        if (received > UrlConnection::maximumBodySize && !tooLarge) {
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

    UrlResponse response;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!timedOut && !tooLarge && status.isValid() && isStatusOnly(reply->error())) {
        response.statusCode = status.toInt();
        response.body = reply->readAll();
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
