#include "Platform/Files/SiblingInstall.h"

#include "Platform/Files/FileManager.h"
#include "Platform/Files/HiddenSiblings.h"
#include "Platform/Files/Paths.h"
#include "Platform/Log/TestHooks.h"

#include <QFile>

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr HiddenSiblings::Purpose purpose = HiddenSiblings::Purpose::Install;

void removeQuietly(const QByteArray& path)
{
    // Best effort: a hidden leftover is cleared by the next call for the same folder.
    static_cast<void>(FileManager::defaultManager().removeItem(QFile::decodeName(path)));
}

QString errnoText(const QString& path)
{
    return QStringLiteral("cannot remove \"%1\": %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
}

} // namespace

SiblingInstall::Installation SiblingInstall::install(const QString& source, const QString& destination,
                                                     const Check& check)
{
    const HiddenSiblings siblings(destination, purpose);
    // The copy keeps the destination's name inside a hidden folder, so whatever checks it by name sees the right one.
    const Result<QByteArray> made = siblings.makeFolder();
    if (!made) {
        return {errno == EACCES || errno == EPERM || errno == EROFS ? Outcome::NotPlaced : Outcome::CopyFailed,
                QString()};
    }
    const QByteArray& work = made.value();
    const QByteArray copy = work + '/' + QFile::encodeName(Paths::lastPathComponent(destination));
    Installation result{Outcome::Installed, QString()};
    if (!FileManager::defaultManager().copyItem(source, QFile::decodeName(copy), FileManager::CopyModes::Installed)) {
        result.outcome = Outcome::CopyFailed;
    } else if (const Result<> accepted = check ? check(QFile::decodeName(copy)) : Result<>(); !accepted) {
        result = {Outcome::Refused, accepted.error()};
    } else {
        // The contents reach the disk before the name does.
        siblings.sync();
        if (::rename(copy.constData(), QFile::encodeName(destination).constData()) != 0) {
            result.outcome = Outcome::NotPlaced;
        } else {
            siblings.sync();
        }
    }
    removeQuietly(work);
    return result;
}

namespace {

// How one item of a joint install went in, so that it can be taken back.
enum class Placement
{
    // Nothing was at the destination.
    New,
    // Exchanged: the old item is at the copy's name.
    Exchanged,
    // Moved aside first, on a file system without the exchange.
    Aside,
};

struct Staged
{
    std::unique_ptr<HiddenSiblings> siblings;
    QByteArray work;
    QByteArray copy;
    QByteArray destination;
    QByteArray aside;
    Placement placement = Placement::New;
};

bool place(Staged& item)
{
    struct stat st;
    if (::lstat(item.destination.constData(), &st) != 0) {
        item.placement = Placement::New;
        return errno == ENOENT && ::rename(item.copy.constData(), item.destination.constData()) == 0;
    }
    if (TestHooks::exchangeEnabled &&
        ::renameat2(AT_FDCWD, item.copy.constData(), AT_FDCWD, item.destination.constData(), RENAME_EXCHANGE) == 0) {
        item.placement = Placement::Exchanged;
        return true;
    }
    if (TestHooks::exchangeEnabled && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        return false;
    }
    // Only on a file system without the exchange is there a moment with nothing at the destination.
    const Result<QByteArray> aside = item.siblings->reserveName();
    if (!aside || ::rename(item.destination.constData(), aside->constData()) != 0) {
        return false;
    }
    item.aside = *aside;
    item.placement = Placement::Aside;
    if (::rename(item.copy.constData(), item.destination.constData()) != 0) {
        ::rename(item.aside.constData(), item.destination.constData());
        return false;
    }
    return true;
}

// Writes the file system of folder back to the disk on another thread, so the disk works while the copies are checked
// and the sync before the renames finds little left to do; joined when dropped.
std::jthread startWriteBack(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    return std::jthread([fd] {
        // Best effort: the sync before the renames is the one that counts.
        static_cast<void>(::syncfs(fd));
        ::close(fd);
    });
}

// Best effort: what cannot be put back stays as placed, a whole checked copy.
void takeBack(const Staged& item)
{
    switch (item.placement) {
    case Placement::Exchanged:
        ::renameat2(AT_FDCWD, item.copy.constData(), AT_FDCWD, item.destination.constData(), RENAME_EXCHANGE);
        break;
    case Placement::Aside:
        if (::rename(item.destination.constData(), item.copy.constData()) == 0) {
            ::rename(item.aside.constData(), item.destination.constData());
        }
        break;
    case Placement::New:
        ::rename(item.destination.constData(), item.copy.constData());
        break;
    }
}

} // namespace

SiblingInstall::JointInstallation SiblingInstall::installAll(const QList<Item>& items)
{
    // Each item's own leftovers first: once one item's work is under way, the folder is no longer free to clear.
    for (const Item& item : items) {
        HiddenSiblings::clearLeftovers(item.destination, purpose);
    }
    std::vector<Staged> staged;
    staged.reserve(static_cast<size_t>(items.size()));
    JointInstallation result{Outcome::Installed, QString()};
    std::jthread writeBack;
    for (qsizetype i = 0; i < items.size() && result.outcome == Outcome::Installed; ++i) {
        const Item& item = items.at(i);
        Staged entry;
        entry.siblings = std::make_unique<HiddenSiblings>(item.destination, purpose);
        entry.destination = QFile::encodeName(item.destination);
        const Result<QByteArray> made = entry.siblings->makeFolder();
        if (!made) {
            const bool refusesChanges = errno == EACCES || errno == EPERM || errno == EROFS;
            result = {refusesChanges ? Outcome::NotPlaced : Outcome::CopyFailed, QString(), i};
            break;
        }
        entry.work = *made;
        entry.copy = entry.work + '/' + QFile::encodeName(Paths::lastPathComponent(item.destination));
        staged.push_back(std::move(entry));
        const QString copy = QFile::decodeName(staged.back().copy);
        if (!FileManager::defaultManager().copyItem(item.source, copy, FileManager::CopyModes::Installed)) {
            result = {Outcome::CopyFailed, QString(), i};
            continue;
        }
        if (!writeBack.joinable()) {
            writeBack = startWriteBack(staged.back().siblings->folder());
        }
        if (const Result<> accepted = item.check ? item.check(copy) : Result<>(); !accepted) {
            result = {Outcome::Refused, accepted.error(), i};
        }
    }
    if (result.outcome == Outcome::Installed) {
        // The contents reach the disk before any name does.
        for (const Staged& entry : staged) {
            entry.siblings->sync();
        }
        for (size_t i = 0; i < staged.size(); ++i) {
            if (!place(staged[i])) {
                result = {Outcome::NotPlaced, QString(), static_cast<qsizetype>(i)};
                while (i-- > 0) {
                    takeBack(staged[i]);
                }
                break;
            }
        }
        for (const Staged& entry : staged) {
            entry.siblings->sync();
        }
    }
    // Old items that were exchanged or moved aside go with the work folders.
    for (const Staged& entry : staged) {
        if (!entry.aside.isEmpty()) {
            removeQuietly(entry.aside);
        }
        removeQuietly(entry.work);
    }
    return result;
}

Result<> SiblingInstall::remove(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::lstat(native.constData(), &st) != 0) {
        if (errno == ENOENT) {
            return {};
        }
        return Failure{errnoText(path)};
    }
    const HiddenSiblings siblings(path, purpose);
    const Result<QByteArray> work = siblings.makeFolder();
    if (!work) {
        return Failure{work.error()};
    }
    if (::rename(native.constData(), (*work + "/gone").constData()) != 0) {
        const Failure failure{errnoText(path)};
        removeQuietly(*work);
        return failure;
    }
    removeQuietly(*work);
    return {};
}
