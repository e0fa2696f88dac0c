#include "Platform/Files/BundleReplacer.h"

#include "Platform/Files/FileManager.h"
#include "Platform/Files/HiddenSiblings.h"
#include "Platform/Log/TestHooks.h"

#include <QFile>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>

namespace {

bool refusesChanges(int code)
{
    return code == EACCES || code == EPERM || code == EROFS;
}

void removeQuietly(const QByteArray& path)
{
    FileManager::defaultManager().removeItem(QFile::decodeName(path));
}

BundleReplacer::Result swapIn(const QString& source, const QByteArray& destination, const HiddenSiblings& siblings,
                              const BundleReplacer::Check& check, QString* reason)
{
    using Result = BundleReplacer::Result;
    const QByteArray copy = siblings.reserveName();
    if (copy.isEmpty()) {
        return refusesChanges(errno) ? Result::OldNotRemovable : Result::CopyFailed;
    }
    // A failed copy takes its partial tree away itself.
    if (!FileManager::defaultManager().copyItem(source, QFile::decodeName(copy))) {
        return Result::CopyFailed;
    }
    // The copy is what goes in place, so the copy is what is checked: the source may change meanwhile.
    if (check) {
        if (const std::optional<QString> refusal = check(QFile::decodeName(copy))) {
            removeQuietly(copy);
            if (reason) {
                *reason = *refusal;
            }
            return Result::Refused;
        }
    }
    // The copy's contents must reach the disk before its name does, or a power cut could leave empty files in place.
    siblings.sync();
    if (TestHooks::exchangeEnabled &&
        ::renameat2(AT_FDCWD, copy.constData(), AT_FDCWD, destination.constData(), RENAME_EXCHANGE) == 0) {
        siblings.sync();
        // The hidden name now holds the old bundle.
        removeQuietly(copy);
        return Result::Replaced;
    }
    if (TestHooks::exchangeEnabled && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        removeQuietly(copy);
        return Result::OldNotRemovable;
    }
    // This file system has no swap: old aside, new in place, old back if that fails. Only here is there a moment
    // without a bundle at the destination.
    const QByteArray aside = siblings.reserveName();
    if (aside.isEmpty() || ::rename(destination.constData(), aside.constData()) != 0) {
        removeQuietly(copy);
        return Result::OldNotRemovable;
    }
    if (::rename(copy.constData(), destination.constData()) != 0) {
        ::rename(aside.constData(), destination.constData());
        removeQuietly(copy);
        return Result::CopyFailed;
    }
    siblings.sync();
    removeQuietly(aside);
    return Result::Replaced;
}

} // namespace

BundleReplacer::Result BundleReplacer::replace(const QString& source, const QString& destination, const Check& check,
                                               QString* reason)
{
    struct stat st;
    if (destination.isEmpty() || ::lstat(QFile::encodeName(destination).constData(), &st) != 0) {
        return Result::OldNotRemovable;
    }
    const HiddenSiblings siblings(destination, "replace");
    return swapIn(source, QFile::encodeName(destination), siblings, check, reason);
}
