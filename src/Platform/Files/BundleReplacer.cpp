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
    // Best effort: a hidden leftover is cleared by the next replacement of the same bundle.
    static_cast<void>(FileManager::defaultManager().removeItem(QFile::decodeName(path)));
}

BundleReplacer::Outcome swapIn(const QString& source, const QByteArray& destination, const HiddenSiblings& siblings,
                               const BundleReplacer::Check& check, QString& reason)
{
    using Outcome = BundleReplacer::Outcome;
    const Result<QByteArray> reserved = siblings.reserveName();
    if (!reserved) {
        return refusesChanges(errno) ? Outcome::OldNotRemovable : Outcome::CopyFailed;
    }
    const QByteArray& copy = reserved.value();
    // A failed copy takes its partial tree away itself.
    if (!FileManager::defaultManager().copyItem(source, QFile::decodeName(copy), FileManager::CopyModes::Installed)) {
        return Outcome::CopyFailed;
    }
    // The copy is what goes in place, so the copy is what is checked: the source may change meanwhile.
    if (check) {
        if (const Result<> accepted = check(QFile::decodeName(copy)); !accepted) {
            removeQuietly(copy);
            reason = accepted.error();
            return Outcome::Refused;
        }
    }
    // The copy's contents must reach the disk before its name does, or a power cut could leave empty files in place.
    siblings.sync();
    if (TestHooks::exchangeEnabled &&
        ::renameat2(AT_FDCWD, copy.constData(), AT_FDCWD, destination.constData(), RENAME_EXCHANGE) == 0) {
        siblings.sync();
        // The hidden name now holds the old bundle.
        removeQuietly(copy);
        return Outcome::Replaced;
    }
    if (TestHooks::exchangeEnabled && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        removeQuietly(copy);
        return Outcome::OldNotRemovable;
    }
    // This file system has no swap: old aside, new in place, old back if that fails. Only here is there a moment
    // without a bundle at the destination.
    const Result<QByteArray> aside = siblings.reserveName();
    if (!aside || ::rename(destination.constData(), aside->constData()) != 0) {
        removeQuietly(copy);
        return Outcome::OldNotRemovable;
    }
    if (::rename(copy.constData(), destination.constData()) != 0) {
        ::rename(aside->constData(), destination.constData());
        removeQuietly(copy);
        return Outcome::CopyFailed;
    }
    siblings.sync();
    removeQuietly(*aside);
    return Outcome::Replaced;
}

} // namespace

BundleReplacer::Replacement BundleReplacer::replace(const QString& source, const QString& destination,
                                                    const Check& check)
{
    struct stat st;
    if (destination.isEmpty() || ::lstat(QFile::encodeName(destination).constData(), &st) != 0) {
        return {Outcome::OldNotRemovable, QString()};
    }
    const HiddenSiblings siblings(destination, HiddenSiblings::Purpose::Replace);
    QString reason;
    const Outcome outcome = swapIn(source, QFile::encodeName(destination), siblings, check, reason);
    return {outcome, reason};
}
