#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
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

// One running stand-in service on loopback, with its own certificate, answers and request record.
class Standin
{
public:
    ~Standin();
    // Starts it with the certificate pair in certDir ("server.pem", "server.key"), keeping its files in workDir.
    bool start(const QString& certDir, const QString& workDir);
    // "127.0.0.1:PORT", as a service host.
    QString host() const;
    // Replaces the answers (a JSON object) and forgets the requests recorded so far.
    void configure(const QByteArray& json);
    // Every request received since the last configure(): request line and headers.
    QString record() const;

private:
    QProcess m_process;
    QString m_config;
    QString m_record;
    int m_port = 0;
};

// "127.0.0.1:PORT" with a port just bound and released, so connecting to it is refused.
QString closedLoopbackHost();

// Makes a throw-away CA and a server certificate for localhost and 127.0.0.1 in dir.
bool makeTestCertificates(const QString& dir);

// Signs the bundle with the build's signing key, each companion's digest in the signature as the build does for the
// agent's tools. False, with the reason as a warning, when it cannot.
bool signBundleForTest(const QString& bundle, const QStringList& companions = {});
