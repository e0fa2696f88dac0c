#include "Platform/Signing/BundleTree.h"

#include "Platform/Log/Log.h"
#include "Platform/Signing/FileDigest.h"

#include <QFile>
#include <QStringList>

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>
#include <functional>
#include <limits.h>

const QString BundleTree::sealFolder = QStringLiteral("Contents/_CodeSignature");

namespace {

// Far beyond any bundle we ship; a tree past these is refused rather than walked without end.
constexpr int maximumDepth = 64;
constexpr qsizetype maximumItems = qsizetype{1} << 17;
constexpr int maximumLinkHops = 40;
constexpr qsizetype maximumSealFileSize = qsizetype{16} * 1024 * 1024;

QString errnoText(const QString& what, const QString& relative)
{
    const QString item =
        relative.isEmpty() ? QStringLiteral("the bundle") : what + QLatin1Char(' ') + Log::outsideText(relative);
    return QStringLiteral("cannot read %1: %2").arg(item, QString::fromLocal8Bit(strerror(errno)));
}

// Names end up in the signed list and in one-line reasons: plain UTF-8 text only.
bool isPlainName(const QByteArray& name)
{
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return QString::fromUtf8(name).toUtf8() == name;
}

QString joined(const QString& folder, const QString& name)
{
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}

// Calls visit with the folder open at fd and each of its entries but "." and "..", until one call fails; takes fd
// over. Fails with the first failure; relative names the folder in reasons.
Result<> forEachEntry(int fd, const QString& relative, const std::function<Result<>(DIR*, const QByteArray&)>& visit)
{
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return Failure{errnoText(QStringLiteral("folder"), relative)};
    }
    Result<> outcome;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0) {
                outcome = Failure{errnoText(QStringLiteral("folder"), relative)};
            }
            break;
        }
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        outcome = visit(dir, name);
        if (!outcome.ok()) {
            break;
        }
    }
    ::closedir(dir);
    return outcome;
}

} // namespace

Result<int> BundleTree::openBundle(const QString& bundlePath)
{
    QString path = bundlePath;
    // A trailing separator would make the kernel follow a link at the bundle's own name.
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        return fd;
    }
    return Failure{errno == ENOTDIR || errno == ELOOP ? QStringLiteral("the bundle is not a folder")
                                                      : errnoText(QString(), QString())};
}

Result<> BundleTree::read(const QString& bundlePath)
{
    return readTree(bundlePath, true);
}

Result<> BundleTree::readShape(const QString& bundlePath)
{
    return readTree(bundlePath, false);
}

Result<> BundleTree::readTree(const QString& bundlePath, bool withDigests)
{
    m_withDigests = withDigests;
    m_items.clear();
    m_sealFiles.clear();
    const Result<int> fd = openBundle(bundlePath);
    if (!fd.ok()) {
        return Failure{fd.error()};
    }
    if (Result<> walked = readFolder(*fd, QString(), 0); !walked.ok()) {
        return walked;
    }
    return noLinkLeavesBundle();
}

Result<> BundleTree::readSealOnly(const QString& bundlePath)
{
    m_items.clear();
    m_sealFiles.clear();
    const Result<int> opened = openBundle(bundlePath);
    if (!opened.ok()) {
        return Failure{opened.error()};
    }
    int fd = *opened;
    for (const QString& step : sealFolder.split(QLatin1Char('/'))) {
        const int next =
            ::openat(fd, QFile::encodeName(step).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int code = errno;
        ::close(fd);
        if (next < 0) {
            errno = code;
            // Nothing there, or not a folder: no signature files to read.
            if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP) {
                return {};
            }
            return Failure{errnoText(QStringLiteral("folder"), sealFolder)};
        }
        fd = next;
    }
    return readSeal(fd);
}

Result<> BundleTree::readFolder(int fd, const QString& relative, int depth)
{
    return forEachEntry(fd, relative, [&](DIR* dir, const QByteArray& name) -> Result<> {
        if (!isPlainName(name)) {
            return Failure{QStringLiteral("%1 holds a name that is not plain UTF-8 text")
                               .arg(relative.isEmpty() ? QStringLiteral("the bundle") : Log::outsideText(relative))};
        }
        const QString path = joined(relative, QString::fromUtf8(name));
        if (m_items.size() >= maximumItems) {
            return Failure{QStringLiteral("the bundle holds too many items")};
        }
        struct stat st;
        if (::fstatat(::dirfd(dir), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            return Failure{errnoText(QStringLiteral("item"), path)};
        }
        Result<> outcome;
        Item item;
        if (S_ISDIR(st.st_mode)) {
            if (depth + 1 >= maximumDepth) {
                return Failure{QStringLiteral("%1 lies too deep").arg(Log::outsideText(path))};
            }
            const int child = ::openat(::dirfd(dir), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0) {
                return Failure{errnoText(QStringLiteral("folder"), path)};
            }
            if (path == sealFolder) {
                outcome = readSeal(child);
            } else {
                item.kind = Kind::Folder;
                m_items.insert(path, item);
                outcome = readFolder(child, path, depth + 1);
            }
        } else if (S_ISREG(st.st_mode) && !m_withDigests) {
            // The shape is what lstat says: nothing is opened, so even a huge file costs nothing here.
            item.executable = (st.st_mode & S_IXUSR) != 0;
            item.size = st.st_size;
            m_items.insert(path, item);
        } else if (S_ISREG(st.st_mode)) {
            // Opened without waiting and checked again on the descriptor: what was a file when listed must be one.
            const int file = ::openat(::dirfd(dir), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
            struct stat opened;
            // The reason given names the file and errno; the digest's own reason says less.
            Result<QString> digest = Failure{};
            if (file >= 0 && ::fstat(file, &opened) == 0 && S_ISREG(opened.st_mode)) {
                digest = FileDigest::sha256OfDescriptor(file);
            }
            if (digest.ok()) {
                item.digest = *digest;
                item.executable = (opened.st_mode & S_IXUSR) != 0;
                item.size = opened.st_size;
                m_items.insert(path, item);
            } else {
                outcome = Failure{errnoText(QStringLiteral("file"), path)};
            }
            if (file >= 0) {
                ::close(file);
            }
        } else if (S_ISLNK(st.st_mode)) {
            char target[PATH_MAX];
            const ssize_t length = ::readlinkat(::dirfd(dir), name.constData(), target, sizeof target);
            if (length <= 0 || length >= static_cast<ssize_t>(sizeof target)) {
                outcome = Failure{errnoText(QStringLiteral("link"), path)};
            } else if (!isPlainName(QByteArray(target, length))) {
                outcome = Failure{
                    QStringLiteral("%1 is a link whose target is not plain UTF-8 text").arg(Log::outsideText(path))};
            } else {
                item.kind = Kind::Link;
                item.target = QString::fromUtf8(target, length);
                m_items.insert(path, item);
            }
        } else {
            outcome = Failure{QStringLiteral("%1 is a special file").arg(Log::outsideText(path))};
        }
        return outcome;
    });
}

Result<> BundleTree::readSeal(int fd)
{
    return forEachEntry(fd, sealFolder, [&](DIR* dir, const QByteArray& name) -> Result<> {
        Result<> outcome;
        const QString path = joined(sealFolder, QString::fromUtf8(name));
        const int file = ::openat(::dirfd(dir), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat st;
        if (!isPlainName(name) || file < 0 || ::fstat(file, &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_size > maximumSealFileSize) {
            outcome = Failure{QStringLiteral("%1 does not belong in a signature").arg(Log::outsideText(path))};
        } else {
            QFile reader;
            reader.open(file, QIODevice::ReadOnly);
            const QByteArray contents = reader.read(maximumSealFileSize + 1);
            if (contents.size() > maximumSealFileSize) {
                outcome = Failure{QStringLiteral("%1 does not belong in a signature").arg(Log::outsideText(path))};
            } else {
                m_sealFiles.insert(QString::fromUtf8(name), contents);
            }
        }
        if (file >= 0) {
            ::close(file);
        }
        return outcome;
    });
}

Result<> BundleTree::noLinkLeavesBundle() const
{
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if (it->kind != Kind::Link) {
            continue;
        }
        QStringList at = it.key().split(QLatin1Char('/'));
        at.removeLast();
        int hops = 0;
        if (!resolvesInside(at, it->target, hops)) {
            return Failure{
                hops > maximumLinkHops
                    ? QStringLiteral("%1 is a link that goes round in a loop").arg(Log::outsideText(it.key()))
                    : QStringLiteral("%1 is a link that leads out of the bundle").arg(Log::outsideText(it.key()))};
        }
    }
    return {};
}

// Follows target from the folder at (its path from the bundle, free of links) as the kernel would, through the
// bundle's own links, so that ".." after a link climbs from where the link leads.
bool BundleTree::resolvesInside(QStringList& at, const QString& target, int& hops) const
{
    if (target.startsWith(QLatin1Char('/'))) {
        return false;
    }
    for (const QString& part : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".")) {
            continue;
        }
        if (part == QLatin1String("..")) {
            if (at.isEmpty()) {
                return false;
            }
            at.removeLast();
            continue;
        }
        at.append(part);
        const auto found = m_items.constFind(at.join(QLatin1Char('/')));
        if (found != m_items.constEnd() && found->kind == Kind::Link) {
            at.removeLast();
            if (++hops > maximumLinkHops || !resolvesInside(at, found->target, hops)) {
                return false;
            }
        }
    }
    return true;
}
