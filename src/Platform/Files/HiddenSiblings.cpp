#include "Platform/Files/HiddenSiblings.h"

#include "Platform/Files/FileManager.h"
#include "Platform/Files/Paths.h"

#include <QFile>
#include <QList>

#include <fcntl.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <dirent.h>
#include <stdlib.h>

namespace {

constexpr qsizetype uniqueLength = 6;

// Entries named prefix + (for an empty prefix, any hidden name and then) suffix + six unique characters.
void removeLeftovers(const QByteArray& folder, const QByteArray& prefix, const QByteArray& suffix)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir) {
        return;
    }
    QList<QByteArray> found;
    while (dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        const QByteArray marked = name.chopped(qMin(name.size(), uniqueLength));
        const bool matches = prefix.isEmpty() ? name.size() > suffix.size() + uniqueLength + 1 &&
                                                    name.startsWith('.') && marked.endsWith(suffix)
                                              : name.size() == prefix.size() + uniqueLength && marked == prefix;
        if (matches) {
            found << folder + '/' + name;
        }
    }
    ::closedir(dir);
    for (const QByteArray& path : found) {
        // Best effort: what cannot go now is tried again by the next clearing.
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

} // namespace

HiddenSiblings::HiddenSiblings(const QString& path, const char* purpose)
    : HiddenSiblings(folderOf(path),
                     QFile::encodeName(QLatin1Char('.') + Paths::lastPathComponent(path)) + '.' + purpose + '-',
                     QByteArray())
{
}

HiddenSiblings::HiddenSiblings(const QString& folder, const QByteArray& prefix, const QByteArray& suffix)
    : m_folder(QFile::encodeName(folder)), m_prefix(prefix), m_suffix(suffix)
{
    m_lock = ::open(m_folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_lock < 0) {
        return;
    }
    if (::flock(m_lock, LOCK_EX | LOCK_NB) == 0) {
        removeLeftovers(m_folder, m_prefix, m_suffix);
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

void HiddenSiblings::sync() const
{
    if (m_lock < 0 || ::syncfs(m_lock) != 0) {
        ::sync();
    }
}

void HiddenSiblings::clearLeftovers(const QString& path, const char* purpose)
{
    const HiddenSiblings siblings(path, purpose);
}

void HiddenSiblings::clearLeftoversIn(const QString& folder, const char* purpose)
{
    const HiddenSiblings siblings(folder, QByteArray(), QByteArray(".") + purpose + '-');
}
