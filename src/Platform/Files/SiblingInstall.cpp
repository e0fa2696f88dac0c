#include "Platform/Files/SiblingInstall.h"

#include "Platform/Files/FileManager.h"
#include "Platform/Files/HiddenSiblings.h"
#include "Platform/Files/Paths.h"

#include <QFile>

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

const char* const purpose = "install";

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
    if (!FileManager::defaultManager().copyItem(source, QFile::decodeName(copy))) {
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

void SiblingInstall::clearLeftoversIn(const QString& folder)
{
    HiddenSiblings::clearLeftoversIn(folder, purpose);
}
