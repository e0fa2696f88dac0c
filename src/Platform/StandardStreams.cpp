#include "Platform/StandardStreams.h"

#include <QFile>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

bool StandardStreams::redirectTo(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    // The log holds the customer token: the file is the owner's alone, whoever created it.
    const int fd = ::open(native.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    ::fchmod(fd, 0600);
    ::close(fd);
    bool ok = true;
    for (FILE* stream : {stdin, stdout, stderr}) {
        if (stream != stdin) {
            fflush(stream);
        }
        ok = freopen(native.constData(), "a+", stream) != nullptr && ok;
    }
    return ok;
}

void StandardStreams::flush()
{
    fflush(stdout);
    fflush(stderr);
}
