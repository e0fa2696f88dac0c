#include "TestSupport.h"

#include <QFile>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

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
