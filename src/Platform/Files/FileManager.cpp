#include "Platform/Files/FileManager.h"

#include "Platform/Files/HiddenSiblings.h"
#include "Platform/Files/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <dirent.h>
#include <functional>
#include <stdlib.h>

namespace {

// Copies never carry set-user-ID or set-group-ID bits: what comes from an image must not run as its maker.
constexpr mode_t copiedBits = 01777;

// The bits a copy gets: the source's less set-ID, or for an install always the same ones, whatever the source holds.
mode_t copyBits(mode_t sourceMode, FileManager::CopyModes modes)
{
    if (modes == FileManager::CopyModes::Kept) {
        return sourceMode & copiedBits;
    }
    return S_ISDIR(sourceMode) || (sourceMode & S_IXUSR) != 0 ? 0755 : 0644;
}

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

QString errnoText(const QString& what, const QString& path, int code)
{
    return QStringLiteral("%1 \"%2\": %3").arg(what, path, QString::fromLocal8Bit(strerror(code)));
}

// Creates to exclusively and fills it; created tells whether to is ours, even when the copy fails later.
bool copyFileContents(const QByteArray& from, const QByteArray& to, mode_t mode, int& code, bool& created)
{
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        code = errno;
        return false;
    }
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & copiedBits);
    if (out < 0) {
        code = errno;
        ::close(in);
        return false;
    }
    created = true;
    bool ok = true;
    // The kernel copies within a file system without the bytes passing through here, as cp does; the loop below
    // goes on from where it stopped when it cannot. Nothing copied by the first call may be a file that reports
    // no size (a pseudo-file), which the loop below then reads to its end.
    for (bool first = true;; first = false) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, std::size_t{1} << 30, 0);
        if (copied > 0) {
            continue;
        }
        if (copied < 0 && errno == EINTR) {
            continue;
        }
        if (copied == 0 && !first) {
            // The end of the file: nothing for the loop below to read.
            break;
        }
        if (copied < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
            errno != EPERM) {
            ok = false;
        }
        break;
    }
    char buffer[65536];
    while (ok) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            ok = false;
            break;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                ok = false;
                break;
            }
            done += put;
        }
        if (!ok) {
            break;
        }
    }
    if (!ok) {
        code = errno;
    }
    // The umask may have narrowed the bits at creation.
    if (ok && ::fchmod(out, mode & copiedBits) != 0) {
        code = errno;
        ok = false;
    }
    if (::close(out) != 0 && ok) {
        code = errno;
        ok = false;
    }
    ::close(in);
    return ok;
}

// Calls visit for each entry of the folder but "." and ".."; false when the folder cannot be read or a visit fails.
bool forEachEntry(const QByteArray& folder, int& code, bool stopOnFailure,
                  const std::function<bool(const QByteArray&)>& visit)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir) {
        code = errno;
        return false;
    }
    bool ok = true;
    while (dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        if (!visit(name)) {
            ok = false;
            if (stopOnFailure) {
                break;
            }
        }
    }
    ::closedir(dir);
    return ok;
}

// Every destination entry is created exclusively, so nothing that was there is ever written or taken over.
bool copyTree(const QByteArray& from, const QByteArray& to, FileManager::CopyModes modes, int& code, bool& created)
{
    struct stat st;
    if (::lstat(from.constData(), &st) != 0) {
        code = errno;
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        QByteArray target(static_cast<qsizetype>(st.st_size) + 1, '\0');
        const ssize_t len = ::readlink(from.constData(), target.data(), static_cast<size_t>(target.size()));
        if (len < 0) {
            code = errno;
            return false;
        }
        target.truncate(len);
        if (::symlink(target.constData(), to.constData()) != 0) {
            code = errno;
            return false;
        }
        created = true;
        return true;
    }
    if (S_ISREG(st.st_mode)) {
        return copyFileContents(from, to, copyBits(st.st_mode, modes), code, created);
    }
    if (!S_ISDIR(st.st_mode)) {
        code = ENOTSUP;
        return false;
    }
    // Owner-writable while filling, the real bits once the contents are in.
    if (::mkdir(to.constData(), 0700) != 0) {
        code = errno;
        return false;
    }
    created = true;
    bool ok = forEachEntry(from, code, true, [&](const QByteArray& name) {
        bool inner = false;
        return copyTree(from + '/' + name, to + '/' + name, modes, code, inner);
    });
    if (ok && ::chmod(to.constData(), copyBits(st.st_mode, modes)) != 0) {
        code = errno;
        ok = false;
    }
    return ok;
}

// True when source is a real folder and destination would lie in it or in one of its descendants.
bool isInsideFolder(const QString& source, const QString& destination)
{
    struct stat st;
    if (::lstat(native(source).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    char* folder = ::realpath(native(source).constData(), nullptr);
    const QString parentPath = Paths::deletingLastPathComponent(destination);
    char* parent = ::realpath(native(parentPath.isEmpty() ? QStringLiteral(".") : parentPath).constData(), nullptr);
    bool inside = false;
    if (folder && parent) {
        const QByteArray from(folder);
        const QByteArray into(parent);
        inside = into == from || into.startsWith(from == "/" ? from : from + '/');
    }
    ::free(folder);
    ::free(parent);
    return inside;
}

bool removeTree(const QByteArray& path, int& code)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0) {
        code = errno;
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (::unlink(path.constData()) != 0) {
            code = errno;
            return false;
        }
        return true;
    }
    // A read-only folder (as copied from a disk image) must still be emptied.
    ::chmod(path.constData(), (st.st_mode & 07777) | S_IRWXU);
    // Removal goes on past a failure, so as little as possible is left behind.
    bool ok =
        forEachEntry(path, code, false, [&](const QByteArray& name) { return removeTree(path + '/' + name, code); });
    if (ok && ::rmdir(path.constData()) != 0) {
        code = errno;
        ok = false;
    }
    return ok;
}

} // namespace

FileManager& FileManager::defaultManager()
{
    static FileManager manager;
    return manager;
}

bool FileManager::fileExists(const QString& path) const
{
    struct stat st;
    return !path.isEmpty() && ::stat(native(path).constData(), &st) == 0;
}

Result<> FileManager::createDirectory(const QString& path, bool withIntermediates, std::optional<mode_t> mode)
{
    if (path.isEmpty()) {
        return Failure{QStringLiteral("no path given")};
    }
    struct stat st;
    const QByteArray nativePath = native(path);
    if (::stat(nativePath.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return {};
        }
        return Failure{errnoText(QStringLiteral("cannot create folder"), path, EEXIST)};
    }
    if (withIntermediates) {
        const QString parent = Paths::deletingLastPathComponent(path);
        if (!parent.isEmpty() && parent != path) {
            if (Result<> made = createDirectory(parent, true, mode); !made) {
                return made;
            }
        }
    }
    if (::mkdir(nativePath.constData(), mode.value_or(0777)) != 0) {
        // Another process may have made it meanwhile; its bits are not ours to change.
        if (errno != EEXIST) {
            return Failure{errnoText(QStringLiteral("cannot create folder"), path, errno)};
        }
    } else if (mode && ::chmod(nativePath.constData(), *mode) != 0) {
        // mkdir honours the umask; an explicit mode is meant as given.
        return Failure{errnoText(QStringLiteral("cannot set permissions of"), path, errno)};
    }
    if (::stat(nativePath.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return {};
    }
    return Failure{errnoText(QStringLiteral("cannot create folder"), path, EEXIST)};
}

Result<> FileManager::copyItem(const QString& source, const QString& destination, CopyModes modes)
{
    if (!fileExists(source)) {
        return Failure{errnoText(QStringLiteral("cannot copy"), source, ENOENT)};
    }
    if (isInsideFolder(source, destination)) {
        return Failure{QStringLiteral("\"%1\" couldn't be copied to \"%2\" because it is a folder that would contain "
                                      "itself.")
                           .arg(Paths::lastPathComponent(source), Paths::deletingLastPathComponent(destination))};
    }
    int code = 0;
    bool created = false;
    if (copyTree(native(source), native(destination), modes, code, created)) {
        return {};
    }
    if (!created && code == EEXIST) {
        // Even a dangling link is in the way: a copy never replaces what was there.
        return Failure{QStringLiteral("\"%1\" couldn't be copied to \"%2\" because an item with the same name "
                                      "already exists.")
                           .arg(Paths::lastPathComponent(source), Paths::deletingLastPathComponent(destination))};
    }
    // Only what this call created is taken away again.
    if (created) {
        int ignored = 0;
        removeTree(native(destination), ignored);
    }
    return Failure{errnoText(QStringLiteral("cannot copy to"), destination, code)};
}

Result<> FileManager::replaceItemWithCopy(const QString& source, const QString& destination, mode_t mode)
{
    const QString folder = Paths::deletingLastPathComponent(destination);
    const HiddenSiblings siblings(destination, HiddenSiblings::Purpose::Copy);
    const Result<QByteArray> reserved = siblings.reserveName();
    if (!reserved) {
        return Failure{errnoText(QStringLiteral("cannot create a file in"), folder, errno)};
    }
    const QByteArray& temp = reserved.value();
    int code = 0;
    bool created = false;
    if (!copyFileContents(native(source), temp, mode, code, created)) {
        ::unlink(temp.constData());
        return Failure{errnoText(QStringLiteral("cannot copy"), source, code)};
    }
    if (::rename(temp.constData(), native(destination).constData()) != 0) {
        code = errno;
        ::unlink(temp.constData());
        return Failure{errnoText(QStringLiteral("cannot replace"), destination, code)};
    }
    return {};
}

Result<> FileManager::removeItem(const QString& path)
{
    int code = 0;
    if (path.isEmpty() || !removeTree(native(path), code)) {
        return Failure{errnoText(QStringLiteral("cannot remove"), path, path.isEmpty() ? ENOENT : code)};
    }
    return {};
}

quint64 FileManager::fileSize(const QString& path) const
{
    struct stat st;
    if (path.isEmpty() || ::stat(native(path).constData(), &st) != 0) {
        return 0;
    }
    return static_cast<quint64>(st.st_size);
}

Result<> FileManager::truncateFile(const QString& path)
{
    const int fd = ::open(native(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return Failure{errnoText(QStringLiteral("cannot open"), path, errno)};
    }
    const bool ok = ::ftruncate(fd, 0) == 0;
    const int code = errno;
    ::close(fd);
    if (!ok) {
        return Failure{errnoText(QStringLiteral("cannot truncate"), path, code)};
    }
    return {};
}
