#include "Platform/Files/HiddenSiblings.h"

#include "Platform/Files/FileManager.h"
#include "Platform/Files/Paths.h"

#include <QFile>
#include <QList>

#include <fcntl.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <stdlib.h>

namespace {

constexpr qsizetype uniqueLength = 6;

constexpr HiddenSiblings::Purpose allPurposes[] = {HiddenSiblings::Purpose::Install, HiddenSiblings::Purpose::Replace,
                                                   HiddenSiblings::Purpose::Part, HiddenSiblings::Purpose::Copy,
                                                   HiddenSiblings::Purpose::New};

// The word a work item's name carries.
QByteArray word(HiddenSiblings::Purpose purpose)
{
    switch (purpose) {
    case HiddenSiblings::Purpose::Install:
        return "install";
    case HiddenSiblings::Purpose::Replace:
        return "replace";
    case HiddenSiblings::Purpose::Part:
        return "part";
    case HiddenSiblings::Purpose::Copy:
        return "copy";
    case HiddenSiblings::Purpose::New:
        return "new";
    }
    return "new";
}

// ".<name>.<purpose>-XXXXXX" of any purpose, or a name an earlier version gave its temporary files.
bool isLeftover(const QByteArray& name)
{
    if (name.size() <= uniqueLength) {
        return false;
    }
    const QByteArray marked = name.chopped(uniqueLength);
    if (marked == ".copy-") {
        return true;
    }
    return std::ranges::any_of(allPurposes, [&](HiddenSiblings::Purpose purpose) {
        const QByteArray suffix = '.' + word(purpose) + '-';
        // Downloads and whole writes once put their files beside the destination without the leading dot.
        const bool earlierScheme = purpose == HiddenSiblings::Purpose::Part || purpose == HiddenSiblings::Purpose::New;
        const qsizetype named = marked.size() - suffix.size();
        return marked.endsWith(suffix) && (name.startsWith('.') ? named > 1 : earlierScheme && named > 0);
    });
}

// Removes the entries of folder that matches picks; best effort: what cannot go now goes at the next clearing.
void removeLeftovers(const QByteArray& folder, const std::function<bool(const QByteArray&)>& matches)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir) {
        return;
    }
    QList<QByteArray> found;
    while (dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (matches(name)) {
            found << folder + '/' + name;
        }
    }
    ::closedir(dir);
    for (const QByteArray& path : found) {
        static_cast<void>(FileManager::defaultManager().removeItem(QFile::decodeName(path)));
    }
}

QString folderOf(const QString& path)
{
    const QString folder = Paths::deletingLastPathComponent(path);
    if (!folder.isEmpty()) {
        return folder;
    }
    return path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QStringLiteral(".");
}

// The folder's lock, taken exclusively when nobody else is at work there (free); -1 when it cannot be opened.
int lockFolder(const QByteArray& folder, bool& free)
{
    const int lock = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    free = lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0;
    return lock;
}

} // namespace

HiddenSiblings::HiddenSiblings(const QString& path, Purpose purpose)
    : HiddenSiblings(folderOf(path),
                     QFile::encodeName(QLatin1Char('.') + Paths::lastPathComponent(path)) + '.' + word(purpose) + '-')
{
}

HiddenSiblings::HiddenSiblings(const QString& folder, const QByteArray& prefix)
    : m_folder(QFile::encodeName(folder)), m_prefix(prefix)
{
    bool free = false;
    m_lock = lockFolder(m_folder, free);
    if (m_lock < 0) {
        return;
    }
    if (free) {
        removeLeftovers(m_folder, [this](const QByteArray& name) {
            return name.size() == m_prefix.size() + uniqueLength && name.startsWith(m_prefix);
        });
    }
    while (::flock(m_lock, LOCK_SH) != 0 && errno == EINTR) {
    }
}

HiddenSiblings::~HiddenSiblings()
{
    if (m_lock >= 0) {
        ::close(m_lock);
    }
}

QByteArray HiddenSiblings::folder() const
{
    return m_folder;
}

Result<QByteArray> HiddenSiblings::reserveName() const
{
    Result<QByteArray> path = makeFolder();
    // Only the name is wanted: whatever goes there makes its own entry.
    if (path) {
        ::rmdir(path->constData());
    }
    return path;
}

Result<QByteArray> HiddenSiblings::makeFolder() const
{
    QByteArray path = m_folder + '/' + m_prefix + QByteArray(uniqueLength, 'X');
    if (::mkdtemp(path.data())) {
        return path;
    }
    const int code = errno;
    Failure failure{QStringLiteral("cannot make a folder in \"%1\": %2")
                        .arg(QFile::decodeName(m_folder), QString::fromLocal8Bit(strerror(code)))};
    errno = code;
    return failure;
}

Result<std::pair<int, QByteArray>> HiddenSiblings::makeFile() const
{
    QByteArray path = m_folder + '/' + m_prefix + QByteArray(uniqueLength, 'X');
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd >= 0) {
        return std::pair<int, QByteArray>(fd, path);
    }
    const int code = errno;
    Failure failure{QStringLiteral("cannot create a file in \"%1\": %2")
                        .arg(QFile::decodeName(m_folder), QString::fromLocal8Bit(strerror(code)))};
    errno = code;
    return failure;
}

void HiddenSiblings::sync() const
{
    if (m_lock < 0 || ::syncfs(m_lock) != 0) {
        ::sync();
    }
}

void HiddenSiblings::clearLeftovers(const QString& path, Purpose purpose)
{
    const HiddenSiblings siblings(path, purpose);
}

void HiddenSiblings::clearAllLeftoversIn(const QString& folder, const std::function<void()>& alsoWhenFree)
{
    bool free = false;
    const QByteArray native = QFile::encodeName(folder);
    const int lock = lockFolder(native, free);
    if (free) {
        removeLeftovers(native, isLeftover);
        if (alsoWhenFree) {
            alsoWhenFree();
        }
    }
    if (lock >= 0) {
        ::close(lock);
    }
}
