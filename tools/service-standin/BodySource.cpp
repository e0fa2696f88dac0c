#include "BodySource.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

std::shared_ptr<BodySource> BodySource::fromText(std::string text)
{
    std::shared_ptr<BodySource> source(new BodySource());
    source->size_ = text.size();
    source->text_ = std::move(text);
    return source;
}

std::shared_ptr<BodySource> BodySource::fromFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::shared_ptr<BodySource> source(new BodySource());
    source->fd_ = fd;
    source->size_ = static_cast<std::size_t>(info.st_size);
    // Any replacement of the file, even one of the same size within the same second, gets a new tag.
    char tag[96];
    std::snprintf(tag, sizeof tag, "\"%llx-%llx-%llx.%lx\"", static_cast<unsigned long long>(info.st_ino),
                  static_cast<unsigned long long>(info.st_size), static_cast<unsigned long long>(info.st_mtim.tv_sec),
                  static_cast<unsigned long>(info.st_mtim.tv_nsec));
    source->entityTag_ = tag;
    std::tm utc{};
    char date[64];
    if (::gmtime_r(&info.st_mtim.tv_sec, &utc) && std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S GMT", &utc)) {
        source->lastModified_ = date;
    }
    return source;
}

BodySource::~BodySource()
{
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool BodySource::read(std::size_t offset, char* out, std::size_t length) const
{
    if (offset > size_ || length > size_ - offset) {
        return false;
    }
    if (fd_ < 0) {
        std::memcpy(out, text_.data() + offset, length);
        return true;
    }
    while (length > 0) {
        const ssize_t got = ::pread(fd_, out, length, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        out += got;
        offset += static_cast<std::size_t>(got);
        length -= static_cast<std::size_t>(got);
    }
    return true;
}
