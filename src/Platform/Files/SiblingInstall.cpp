#include "Platform/Files/SiblingInstall.h"

#include "Platform/Files/FileManager.h"
#include "Platform/Files/HiddenSiblings.h"
#include "Platform/Files/Paths.h"

#include <QFile>

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

const char* const purpose = "install";

void removeQuietly(const QByteArray& path)
{
    FileManager::defaultManager().removeItem(QFile::decodeName(path));
}

} // namespace

SiblingInstall::Result SiblingInstall::install(const QString& source, const QString& destination, const Check& check,
                                               QString* reason)
{
    const HiddenSiblings siblings(destination, purpose);
    // The copy keeps the destination's name inside a hidden folder, so whatever checks it by name sees the right one.
    const QByteArray work = siblings.makeFolder();
    if (work.isEmpty()) {
        return errno == EACCES || errno == EPERM || errno == EROFS ? Result::NotPlaced : Result::CopyFailed;
    }
    const QByteArray copy = work + '/' + QFile::encodeName(Paths::lastPathComponent(destination));
    Result result = Result::Installed;
    if (!FileManager::defaultManager().copyItem(source, QFile::decodeName(copy))) {
        result = Result::CopyFailed;
    } else if (const std::optional<QString> refusal = check ? check(QFile::decodeName(copy)) : std::nullopt) {
        if (reason) {
            *reason = *refusal;
        }
        result = Result::Refused;
    } else {
        // The contents reach the disk before the name does.
        siblings.sync();
        if (::rename(copy.constData(), QFile::encodeName(destination).constData()) != 0) {
            result = Result::NotPlaced;
        } else {
            siblings.sync();
        }
    }
    removeQuietly(work);
    return result;
}

bool SiblingInstall::remove(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::lstat(native.constData(), &st) != 0) {
        return errno == ENOENT;
    }
    const HiddenSiblings siblings(path, purpose);
    const QByteArray work = siblings.makeFolder();
    if (work.isEmpty()) {
        return false;
    }
    const bool taken = ::rename(native.constData(), (work + "/gone").constData()) == 0;
    removeQuietly(work);
    return taken;
}

void SiblingInstall::clearLeftoversIn(const QString& folder)
{
    HiddenSiblings::clearLeftoversIn(folder, purpose);
}
