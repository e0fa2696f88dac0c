#include "Platform/Log/StandardStreams.h"

#include <QFile>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// True when fd is open, for reading and appending, on the file that st describes.
bool isAppendingTo(int fd, const struct stat& st)
{
    struct stat open;
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && (flags & O_ACCMODE) == O_RDWR && (flags & O_APPEND) && ::fstat(fd, &open) == 0 &&
           open.st_dev == st.st_dev && open.st_ino == st.st_ino;
}

} // namespace

Result<> StandardStreams::redirectTo(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    // The log check calls this ten times a second and mostly finds the streams on the file already, owner-only:
    // reopening them would change nothing, so only the buffers are written out.
    struct stat st;
    if (::stat(native.constData(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 07777) == 0600 &&
        isAppendingTo(STDIN_FILENO, st) && isAppendingTo(STDOUT_FILENO, st) && isAppendingTo(STDERR_FILENO, st)) {
        fflush(stdout);
        fflush(stderr);
        return {};
    }
    // The log holds the customer token: the file is the owner's alone, whoever created it.
    const int fd = ::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Failure{QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)))};
    }
    ::fchmod(fd, 0600);
    ::close(fd);
    bool reopened = true;
    for (FILE* stream : {stdin, stdout, stderr}) {
        if (stream != stdin) {
            fflush(stream);
        }
        reopened = freopen(native.constData(), "a+", stream) != nullptr && reopened;
    }
    if (!reopened) {
        return Failure{QStringLiteral("cannot reopen the standard streams on %1").arg(path)};
    }
    return {};
}

void StandardStreams::flush()
{
    fflush(stdout);
    fflush(stderr);
}
