#include "Platform/Signing/FileDigest.h"

#include "Platform/Log/Log.h"

#include <QFile>

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <openssl/evp.h>

namespace {

// Static text, so making it leaves errno alone for a caller that reports it.
Failure unreadable()
{
    return Failure{QStringLiteral("cannot read the file")};
}

} // namespace

Result<QString> FileDigest::sha256OfDescriptor(int fd)
{
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
        return unreadable();
    }
    std::array<char, 65536> buffer;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return unreadable();
        }
        if (EVP_DigestUpdate(context.get(), buffer.data(), static_cast<size_t>(got)) != 1) {
            return unreadable();
        }
    }
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest;
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1) {
        return unreadable();
    }
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest.data()), static_cast<qsizetype>(length)).toHex());
}

Result<QString> FileDigest::sha256OfFile(const QString& path)
{
    // Not waiting for a pipe's writer; the type is checked on the open descriptor, so nothing swapped in counts.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return Failure{
            QStringLiteral("cannot open %1: %2").arg(Log::outsideText(path), QString::fromLocal8Bit(strerror(errno)))};
    }
    struct stat st;
    Result<QString> digest = Failure{QStringLiteral("%1 is not a regular file").arg(Log::outsideText(path))};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        digest = sha256OfDescriptor(fd);
        if (!digest.ok()) {
            digest = Failure{QStringLiteral("cannot read %1").arg(Log::outsideText(path))};
        }
    }
    ::close(fd);
    return digest;
}
