#include "Platform/Files/FileWriter.h"

#include "Platform/Files/HiddenSiblings.h"

#include <QFile>

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

QString errnoText(const char* what, const QString& path, int code)
{
    return QStringLiteral("cannot %1 \"%2\": %3")
        .arg(QLatin1String(what), path, QString::fromLocal8Bit(strerror(code)));
}

// Mode, contents and their way to the disk; on failure says which step failed.
Result<> fill(int fd, const QString& path, const QByteArray& contents, mode_t mode)
{
    // The mode goes on the new file before its name does, so the file at path never has other bits.
    if (::fchmod(fd, mode & 07777) != 0) {
        return Failure{errnoText("set permissions of", path, errno)};
    }
    for (qsizetype done = 0; done < contents.size();) {
        const ssize_t put = ::write(fd, contents.constData() + done, static_cast<size_t>(contents.size() - done));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return Failure{errnoText("write", path, put < 0 ? errno : ENOSPC)};
        }
        done += put;
    }
    // The contents reach the disk before the name does.
    if (::fsync(fd) != 0) {
        return Failure{errnoText("write", path, errno)};
    }
    return {};
}

} // namespace

Result<> FileWriter::createFileAtPath(const QString& path, const QByteArray& contents, mode_t mode)
{
    if (path.isEmpty()) {
        return Failure{QStringLiteral("no path given")};
    }
    // Written under a hidden name of the one scheme the next start clears, so a kill leaves nothing it keeps.
    const HiddenSiblings siblings(path, HiddenSiblings::Purpose::New);
    const Result<std::pair<int, QByteArray>> made = siblings.makeFile();
    if (!made) {
        return Failure{errnoText("create", path, errno)};
    }
    const auto& [fd, temp] = made.value();
    Result<> written = fill(fd, path, contents, mode);
    if (::close(fd) != 0 && written) {
        written = Failure{errnoText("write", path, errno)};
    }
    if (written && ::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
        written = Failure{errnoText("create", path, errno)};
    }
    if (!written) {
        ::unlink(temp.constData());
    }
    return written;
}
