#include "TestSupport.h"

#include "Platform/Signing/CodeSignature.h"

#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <stdio.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <netinet/in.h>

LogCapture::LogCapture()
{
    fflush(stderr);
    m_savedStderr = ::dup(STDERR_FILENO);
    const QByteArray path = QFile::encodeName(m_dir.filePath(QStringLiteral("log")));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
}

LogCapture::~LogCapture()
{
    fflush(stderr);
    ::dup2(m_savedStderr, STDERR_FILENO);
    ::close(m_savedStderr);
}

QString LogCapture::text() const
{
    fflush(stderr);
    QFile file(m_dir.filePath(QStringLiteral("log")));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

int permissionBits(const QString& path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return -1;
    }
    return static_cast<int>(st.st_mode & 07777);
}

Standin::~Standin()
{
    m_process.terminate();
    m_process.waitForFinished(5000);
}

bool Standin::start(const QString& certDir, const QString& workDir)
{
    m_config = workDir + QStringLiteral("/config.json");
    m_record = workDir + QStringLiteral("/record.txt");
    m_process.start(QStringLiteral(ORVO_STANDIN),
                    {QStringLiteral("--cert"), certDir + QStringLiteral("/server.pem"), QStringLiteral("--key"),
                     certDir + QStringLiteral("/server.key"), QStringLiteral("--port"), QStringLiteral("0"),
                     QStringLiteral("--config"), m_config, QStringLiteral("--record"), m_record});
    if (!m_process.waitForStarted() || !m_process.waitForReadyRead(10000)) {
        return false;
    }
    const QByteArray line = m_process.readLine().trimmed();
    m_port = line.mid(line.lastIndexOf(':') + 1).toInt();
    return line.startsWith("listening on") && m_port > 0;
}

QString Standin::host() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

void Standin::configure(const QByteArray& json)
{
    // Replaced in one step: the service reads the file again on every request.
    QSaveFile file(m_config);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(json);
        file.commit();
    }
    QFile::remove(m_record);
}

QString Standin::record() const
{
    QFile file(m_record);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool makeTestCertificates(const QString& dir)
{
    return QProcess::execute(QStringLiteral(ORVO_MAKE_CERTS), {dir}) == 0;
}

QString closedLoopbackHost()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        qFatal("cannot bind a loopback port");
    }
    ::close(fd);
    return QStringLiteral("127.0.0.1:%1").arg(ntohs(address.sin_port));
}

bool signBundleForTest(const QString& bundle, const QStringList& companions)
{
    QFile key(QStringLiteral(ORVO_SIGNING_KEY_FILE));
    if (!key.open(QIODevice::ReadOnly)) {
        qWarning("cannot read the signing key %s", qPrintable(key.fileName()));
        return false;
    }
    const Result<> signedBundle = CodeSignature::signBundle(bundle, key.readAll(), companions);
    if (!signedBundle.ok()) {
        qWarning("cannot sign %s: %s", qPrintable(bundle), qPrintable(signedBundle.error()));
    }
    return signedBundle.ok();
}
