#include "Platform/Files/FileWriter.h"

#include <QSaveFile>

#include <string.h>
#include <sys/stat.h>

#include <cerrno>

Result<> FileWriter::createFileAtPath(const QString& path, const QByteArray& contents, mode_t mode)
{
    if (path.isEmpty()) {
        return Failure{QStringLiteral("no path given")};
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Failure{QStringLiteral("cannot create \"%1\": %2").arg(path, file.errorString())};
    }
    // The mode goes on the new file before its name does, so the file at path never has other bits.
    if (::fchmod(file.handle(), mode & 07777) != 0) {
        const QString reason =
            QStringLiteral("cannot set permissions of \"%1\": %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
        file.cancelWriting();
        return Failure{reason};
    }
    if (file.write(contents) != contents.size()) {
        const QString reason = QStringLiteral("cannot write \"%1\": %2").arg(path, file.errorString());
        file.cancelWriting();
        return Failure{reason};
    }
    if (!file.commit()) {
        return Failure{QStringLiteral("cannot write \"%1\": %2").arg(path, file.errorString())};
    }
    return {};
}
