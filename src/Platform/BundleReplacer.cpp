#include "Platform/BundleReplacer.h"

#include "Platform/FileManager.h"
#include "Platform/Paths.h"

#include <QFile>
#include <QList>

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <dirent.h>
#include <stdlib.h>

namespace {

bool exchangeEnabled = true;

QByteArray native(const QString& path)
{
    return QFile::encodeName(path);
}

bool refusesChanges(int code)
{
    return code == EACCES || code == EPERM || code == EROFS;
}

// Reserves a fresh hidden name in the folder; empty when nothing can be created there (errno tells why).
QByteArray reserveHiddenName(const QByteArray& folder, const QByteArray& prefix)
{
    QByteArray path = folder + '/' + prefix + "XXXXXX";
    if (!::mkdtemp(path.data())) {
        return {};
    }
    // Only the name is wanted: whatever goes there makes its own folder.
    ::rmdir(path.constData());
    return path;
}

void removeLeftovers(const QByteArray& folder, const QByteArray& prefix)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir) {
        return;
    }
    QList<QByteArray> found;
    while (dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() == prefix.size() + 6 && name.startsWith(prefix)) {
            found << folder + '/' + name;
        }
    }
    ::closedir(dir);
    for (const QByteArray& path : found) {
        FileManager::defaultManager().removeItem(QFile::decodeName(path));
    }
}

// Makes everything written so far durable; folderFd may be -1.
void syncAll(int folderFd)
{
    if (folderFd < 0 || ::syncfs(folderFd) != 0) {
        ::sync();
    }
}

void removeQuietly(const QByteArray& path)
{
    FileManager::defaultManager().removeItem(QFile::decodeName(path));
}

BundleReplacer::Result swapIn(const QString& source, const QByteArray& destination, const QByteArray& folder,
                              const QByteArray& prefix, int folderFd)
{
    using Result = BundleReplacer::Result;
    const QByteArray copy = reserveHiddenName(folder, prefix);
    if (copy.isEmpty()) {
        return refusesChanges(errno) ? Result::OldNotRemovable : Result::CopyFailed;
    }
    // A failed copy takes its partial tree away itself.
    if (!FileManager::defaultManager().copyItem(source, QFile::decodeName(copy))) {
        return Result::CopyFailed;
    }
    // The copy's contents must reach the disk before its name does, or a power cut could leave empty files in place.
    syncAll(folderFd);
    if (exchangeEnabled &&
        ::renameat2(AT_FDCWD, copy.constData(), AT_FDCWD, destination.constData(), RENAME_EXCHANGE) == 0) {
        syncAll(folderFd);
        // The hidden name now holds the old bundle.
        removeQuietly(copy);
        return Result::Replaced;
    }
    if (exchangeEnabled && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        removeQuietly(copy);
        return Result::OldNotRemovable;
    }
    // This file system has no swap: old aside, new in place, old back if that fails. Only here is there a moment
    // without a bundle at the destination.
    const QByteArray aside = reserveHiddenName(folder, prefix);
    if (aside.isEmpty() || ::rename(destination.constData(), aside.constData()) != 0) {
        removeQuietly(copy);
        return Result::OldNotRemovable;
    }
    if (::rename(copy.constData(), destination.constData()) != 0) {
        ::rename(aside.constData(), destination.constData());
        removeQuietly(copy);
        return Result::CopyFailed;
    }
    syncAll(folderFd);
    removeQuietly(aside);
    return Result::Replaced;
}

} // namespace

BundleReplacer::Result BundleReplacer::replace(const QString& source, const QString& destination)
{
    struct stat st;
    if (destination.isEmpty() || ::lstat(native(destination).constData(), &st) != 0) {
        return Result::OldNotRemovable;
    }
    QString folder = Paths::deletingLastPathComponent(destination);
    if (folder.isEmpty()) {
        folder = QStringLiteral(".");
    }
    const QByteArray nativeFolder = native(folder);
    const QByteArray prefix = native(QLatin1Char('.') + Paths::lastPathComponent(destination)) + ".replace-";

    // Leftovers are cleared only under an exclusive lock on the folder, which nobody gets while another
    // replacement holds its shared one: no replacement ever removes another's work in progress.
    const int lock = ::open(nativeFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock >= 0) {
        if (::flock(lock, LOCK_EX | LOCK_NB) == 0) {
            removeLeftovers(nativeFolder, prefix);
        }
        while (::flock(lock, LOCK_SH) != 0 && errno == EINTR) {
        }
    }
    const Result result = swapIn(source, native(destination), nativeFolder, prefix, lock);
    if (lock >= 0) {
        ::close(lock);
    }
    return result;
}

void BundleReplacer::setExchangeEnabled(bool enabled)
{
    exchangeEnabled = enabled;
}
