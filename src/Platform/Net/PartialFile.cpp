#include "Platform/Net/PartialFile.h"

#include "Platform/Files/FileWriter.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace {

// An entity tag or an HTTP date is far shorter; anything longer is not one we wrote.
constexpr qint64 maximumValidatorLength = 1024;

// It goes out in a request header: visible ASCII and spaces only, never a line break.
bool isHeaderSafe(const QByteArray& text)
{
    return text.size() <= maximumValidatorLength &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
}

} // namespace

PartialFile::PartialFile(int fd, QString path, qint64 length)
    : m_fd(fd), m_path(std::move(path)), m_length(length), m_kept(length)
{
}

PartialFile::~PartialFile()
{
    close();
}

PartialFile::PartialFile(PartialFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)), m_length(other.m_length),
      m_kept(other.m_kept), m_isKept(other.m_isKept), m_validator(std::move(other.m_validator))
{
    m_siblings = std::move(other.m_siblings);
}

PartialFile& PartialFile::operator=(PartialFile&& other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_siblings = std::move(other.m_siblings);
        m_path = std::move(other.m_path);
        m_length = other.m_length;
        m_kept = other.m_kept;
        m_isKept = other.m_isKept;
        m_validator = std::move(other.m_validator);
    }
    return *this;
}

QString PartialFile::pathFor(const QString& destination)
{
    return destination + QStringLiteral(".part");
}

Result<PartialFile> PartialFile::openTemporary(const QString& destination)
{
    auto siblings = std::make_unique<HiddenSiblings>(destination, HiddenSiblings::Purpose::Part);
    const Result<std::pair<int, QByteArray>> made = siblings->makeFile();
    if (!made) {
        return Failure{made.error()};
    }
    PartialFile file(made->first, QFile::decodeName(made->second), 0);
    file.m_siblings = std::move(siblings);
    return file;
}

Result<PartialFile> PartialFile::openKept(const QString& destination)
{
    const QString path = pathFor(destination);
    // Not followed through a link: the file is written to, and the folder is the user's own.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return Failure{QStringLiteral("cannot open %1").arg(path)};
    }
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::lseek(fd, info.st_size, SEEK_SET) < 0) {
        ::close(fd);
        return Failure{QStringLiteral("%1 is not a file to append to").arg(path)};
    }
    PartialFile kept(fd, path, info.st_size);
    kept.m_isKept = true;
    QFile recorded(kept.validatorPath());
    if (info.st_size > 0 && recorded.open(QIODevice::ReadOnly)) {
        const QByteArray text = recorded.read(maximumValidatorLength + 1).trimmed();
        kept.m_validator = isHeaderSafe(text) ? text : QByteArray();
    }
    return kept;
}

Result<> PartialFile::discardKept(const QString& destination)
{
    const QByteArray part = QFile::encodeName(pathFor(destination));
    const bool removed = (::unlink(part.constData()) == 0 || errno == ENOENT);
    const bool validatorRemoved = (::unlink((part + ".validator").constData()) == 0 || errno == ENOENT);
    if (!removed || !validatorRemoved) {
        return Failure{QStringLiteral("cannot remove %1").arg(pathFor(destination))};
    }
    return {};
}

QByteArray PartialFile::validator() const
{
    return m_validator;
}

Result<> PartialFile::setValidator(const QByteArray& validator)
{
    if (!isHeaderSafe(validator)) {
        m_validator.clear();
        removeValidator();
        return Failure{QStringLiteral("the validator is not one a request may carry")};
    }
    m_validator = validator;
    if (!m_isKept || m_path.isEmpty()) {
        return {};
    }
    if (validator.isEmpty()) {
        removeValidator();
        return {};
    }
    // Whole or not at all, under the working folders' one scheme for temporary files.
    if (Result<> written = FileWriter::createFileAtPath(validatorPath(), validator + '\n', 0600); !written) {
        // Without it the part is fetched anew rather than resumed.
        removeValidator();
        return Failure{QStringLiteral("cannot record the validator of %1: %2").arg(m_path, written.error())};
    }
    return {};
}

QString PartialFile::validatorPath() const
{
    return m_path + QStringLiteral(".validator");
}

void PartialFile::removeValidator()
{
    if (!m_path.isEmpty()) {
        ::unlink(QFile::encodeName(validatorPath()).constData());
    }
}

bool PartialFile::isOpen() const
{
    return m_fd >= 0;
}

qint64 PartialFile::length() const
{
    return m_length;
}

qint64 PartialFile::keptLength() const
{
    return m_kept;
}

Result<> PartialFile::append(const char* data, qint64 size)
{
    for (qint64 done = 0; done < size;) {
        const ssize_t put = m_fd < 0 ? -1 : ::write(m_fd, data + done, static_cast<size_t>(size - done));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return Failure{QStringLiteral("cannot write %1").arg(m_path)};
        }
        done += put;
        m_length += put;
    }
    return {};
}

Result<> PartialFile::restartWhole()
{
    if (m_fd < 0 || ::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0) {
        return Failure{QStringLiteral("cannot empty %1").arg(m_path)};
    }
    m_length = 0;
    m_kept = 0;
    m_validator.clear();
    removeValidator();
    return {};
}

Result<> PartialFile::placeAt(const QString& destination, bool allowOverwrite)
{
    const QByteArray partial = QFile::encodeName(m_path);
    const QByteArray target = QFile::encodeName(destination);
    bool placed = m_fd >= 0 && ::close(m_fd) == 0;
    m_fd = -1;
    if (placed) {
        // link() refuses to replace an existing file, which is what no overwrite asks for.
        placed = allowOverwrite ? ::rename(partial.constData(), target.constData()) == 0
                                : ::link(partial.constData(), target.constData()) == 0;
    }
    if (!placed) {
        return Failure{QStringLiteral("cannot move %1 to %2").arg(m_path, destination)};
    }
    if (!allowOverwrite) {
        ::unlink(partial.constData());
    }
    removeValidator();
    m_path.clear();
    m_siblings.reset();
    return {};
}

void PartialFile::remove()
{
    close();
    if (!m_path.isEmpty()) {
        ::unlink(QFile::encodeName(m_path).constData());
        removeValidator();
        m_path.clear();
    }
    m_siblings.reset();
}

void PartialFile::keep()
{
    if (m_fd < 0) {
        remove();
        return;
    }
    struct stat info
    {
    };
    const bool empty = ::fstat(m_fd, &info) == 0 && info.st_size == 0;
    close();
    if (empty) {
        ::unlink(QFile::encodeName(m_path).constData());
        removeValidator();
    }
    m_path.clear();
}

void PartialFile::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}
