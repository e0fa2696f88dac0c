#include "Platform/App/SingleInstance.h"

#include "Platform/Files/Paths.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>

namespace {

// Long enough for a plugin that is still starting, or replacing its bundle at exit; one that answers nothing for
// this long is not waited for.
constexpr qint64 claimBoundMs = 10000;
constexpr int answerBoundMs = 2000;
constexpr unsigned long askAgainMs = 20;
constexpr qint64 lengthSize = 4;
// A few paths; anything larger is no start of ours.
constexpr quint32 largestMessage = 1024 * 1024;
const QByteArray acknowledgement = QByteArrayLiteral("1");

// Keyed by the home folder as well: the log and the folders two plugins must not share live there.
QString basePath(const QString& folder)
{
    const QByteArray key =
        QCryptographicHash::hash(Paths::homeDirectory().toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return folder + QStringLiteral("/orvo-wendra-plugin-") + QString::fromLatin1(key);
}

// The arguments as a JSON array after its length, four bytes big-endian.
QByteArray message(const QStringList& arguments)
{
    const QByteArray body = QJsonDocument(QJsonArray::fromStringList(arguments)).toJson(QJsonDocument::Compact);
    QByteArray framed(lengthSize, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(body.size()), framed.data());
    return framed + body;
}

Result<> handOver(const QString& socketPath, const QStringList& arguments)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(answerBoundMs)) {
        return Failure{socket.errorString()};
    }
    socket.write(message(arguments));
    // The running plugin answers once it has acted on them; a plugin that is exiting does not.
    if (!socket.waitForBytesWritten(answerBoundMs) || !socket.waitForReadyRead(answerBoundMs) ||
        socket.read(acknowledgement.size()) != acknowledgement) {
        return Failure{QStringLiteral("the running plugin did not take the arguments")};
    }
    return {};
}

} // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {}

SingleInstance::~SingleInstance()
{
    release();
}

Result<> SingleInstance::claim(const QStringList& arguments)
{
    // Qt's notes on the folder (not set, so a fallback; fixed permissions) would come before the log opens.
    const QtMessageHandler handler =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    qInstallMessageHandler(handler);
    if (folder.isEmpty()) {
        return Failure{QStringLiteral("there is no runtime folder")};
    }
    const QString base = basePath(folder);
    m_lock = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
    // Stale only once its plugin is gone, however old: a plugin may run for hours.
    m_lock->setStaleLockTime(0);
    QString reason;
    const QDeadlineTimer deadline(claimBoundMs);
    do {
        // Takes over a lock whose plugin was killed.
        if (m_lock->tryLock(0)) {
            if (Result<> listening = listen(base + QStringLiteral(".socket")); !listening) {
                release();
                return Failure{listening.error()};
            }
            return {};
        }
        if (m_lock->error() != QLockFile::LockFailedError) {
            return Failure{QStringLiteral("the lock %1 cannot be made").arg(m_lock->fileName())};
        }
        const Result<> handed = handOver(base + QStringLiteral(".socket"), arguments);
        if (handed) {
            m_handedOver = true;
            return Failure{QStringLiteral("the running plugin took the arguments")};
        }
        reason = handed.error();
        // Between the other plugin's lock and its socket, or while it exits.
        QThread::msleep(askAgainMs);
    } while (!deadline.hasExpired());
    return Failure{QStringLiteral("another plugin holds %1, but: %2").arg(m_lock->fileName(), reason)};
}

bool SingleInstance::handedOver() const
{
    return m_handedOver;
}

void SingleInstance::release()
{
    if (m_server) {
        // Closing removes the socket file.
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
    }
}

Result<> SingleInstance::listen(const QString& socketPath)
{
    // Whatever is there was left by a killed plugin: the lock says no running one listens on it.
    static_cast<void>(QLocalServer::removeServer(socketPath));
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath)) {
        const QString reason = m_server->errorString();
        delete m_server;
        m_server = nullptr;
        return Failure{reason};
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readHandOver(socket); });
        }
    });
    return {};
}

void SingleInstance::readHandOver(QLocalSocket* socket)
{
    if (socket->bytesAvailable() < lengthSize) {
        return;
    }
    const auto length = qFromBigEndian<quint32>(socket->peek(lengthSize).constData());
    if (length > largestMessage) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < lengthSize + length) {
        return;
    }
    static_cast<void>(socket->skip(lengthSize));
    const QJsonDocument document = QJsonDocument::fromJson(socket->read(length));
    if (!document.isArray()) {
        socket->abort();
        return;
    }
    QStringList arguments;
    for (const auto& argument : document.array()) {
        arguments << argument.toString();
    }
    // Read once: the connection ends after its one message.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    emit anotherStart(arguments);
    socket->write(acknowledgement);
    socket->disconnectFromServer();
}
