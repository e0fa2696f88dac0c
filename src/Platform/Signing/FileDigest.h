#pragma once

#include "Platform/Log/Result.h"

#include <QString>

// SHA-256 digests of files, as lower-case hex.
class FileDigest
{
public:
    // The digest of what is left to read from the open descriptor; fails when a read fails.
    static Result<QString> sha256OfDescriptor(int fd);
    // The digest of the regular file at path, opened without following a link there; fails with why not, in one
    // line.
    static Result<QString> sha256OfFile(const QString& path);
};
