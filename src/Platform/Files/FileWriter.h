#pragma once

#include "Platform/Log/Result.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Creating a file with its whole contents in one step.
class FileWriter
{
public:
    // Writes contents to a new file beside path and renames it into place, so the file at path is either the old
    // one or the whole new one; mode applies to the new file. Nothing is left behind when any step fails.
    static Result<> createFileAtPath(const QString& path, const QByteArray& contents, mode_t mode);
};
