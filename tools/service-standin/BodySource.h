#pragma once

#include <cstddef>
#include <memory>
#include <string>

// Where a response body comes from: a file read piecewise, or a short text held in memory.
class BodySource
{
public:
    static std::shared_ptr<BodySource> fromText(std::string text);
    // Null when the file cannot be opened or is not a regular file.
    static std::shared_ptr<BodySource> fromFile(const std::string& path);

    ~BodySource();
    BodySource(const BodySource&) = delete;
    BodySource& operator=(const BodySource&) = delete;

    std::size_t size() const { return size_; }
    // Fills out with exactly length bytes at offset; false if the data is no longer there.
    bool read(std::size_t offset, char* out, std::size_t length) const;
    // A file's strong entity tag, quoted, from its inode, size and modification time; empty for a text.
    const std::string& entityTag() const { return entityTag_; }
    // A file's modification time as an HTTP date; empty for a text.
    const std::string& lastModified() const { return lastModified_; }

private:
    BodySource() = default;

    int fd_ = -1;
    std::string text_;
    std::size_t size_ = 0;
    std::string entityTag_;
    std::string lastModified_;
};
