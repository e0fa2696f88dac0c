#include "Platform/Files/FileWriter.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdlib.h>

bool FileWriter::createFileAtPath(const QString& path, const QByteArray& contents, mode_t mode)
{
    if (path.isEmpty()) {
        return false;
    }
    QByteArray temp = QFile::encodeName(path + QStringLiteral(".new-XXXXXX"));
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    bool ok = ::fchmod(fd, mode & 07777) == 0;
    for (qsizetype done = 0; ok && done < contents.size();) {
        const ssize_t put = ::write(fd, contents.constData() + done, static_cast<size_t>(contents.size() - done));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        ok = put > 0;
        done += put > 0 ? put : 0;
    }
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.constData(), QFile::encodeName(path).constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
    }
    return ok;
}
