#pragma once

#include <QString>

#include <optional>

// SHA-256 digests of files, as lower-case hex.
class FileDigest
{
public:
    // The digest of what is left to read from the open descriptor; nothing when a read fails.
    static std::optional<QString> sha256OfDescriptor(int fd);
    // The digest of the regular file at path, opened without following a link there. Otherwise why not, in one
    // line.
    static std::optional<QString> sha256OfFile(const QString& path, QString* reason);
};
