#pragma once

#include "Platform/Log/Result.h"

#include <QString>

// The process's standard input, output and error streams.
class StandardStreams
{
public:
    // Reopens stdin, stdout and stderr on the file in mode "a+", creating it owner-only. When the file cannot be
    // opened the streams are left as they are (a failed reopen would leave them closed); fails with why.
    static Result<> redirectTo(const QString& path);
    // Flushes the three streams.
    static void flush();
};
