#pragma once

#include <QString>
#include <QTemporaryDir>

// Sends the process's standard error (where the log call writes) to a file while alive, so a test can read the
// lines an operation logged.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();

    // Everything logged since the capture started.
    QString text() const;

private:
    QTemporaryDir m_dir;
    int m_savedStderr = -1;
};

// The permission bits of the file or folder at path (as in 0600), or -1 when it cannot be read.
int permissionBits(const QString& path);
