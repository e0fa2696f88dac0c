#pragma once

#include "Platform/Log/Result.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>

class QProcess;

// A child process run to its end: the program's fixed location goes through the system root, the arguments are
// passed as given, standard input is /dev/null and its output goes where the plugin's own goes.
class Task : public QObject
{
    Q_OBJECT

public:
    explicit Task(QObject* parent = nullptr);
    ~Task() override;

    void setLaunchPath(const QString& path);
    void setArguments(const QStringList& arguments);
    // Starts the program; throws PlatformException when it is missing or not executable.
    void launch();
    // Returns once the program has exited (or failed to start), serving the main event loop meanwhile, so timers
    // and download callbacks run during the wait.
    void waitUntilExit();
    // The same wait for at most bound. A program still running then is stopped (SIGTERM, then SIGKILL after a
    // short grace) and the wait fails; it succeeds when the program exited (or failed to start) in time.
    Result<> waitUntilExit(std::chrono::milliseconds bound);
    // Whether the last bounded wait ran out.
    bool timedOut() const { return m_timedOut; }
    // The exit status, or the signal number that ended the program; throws PlatformException when it never ran
    // or has not exited.
    int terminationStatus() const;

    // A bound read from the environment variable when it holds a positive number of milliseconds, so tests can
    // shorten it; fallback otherwise.
    static std::chrono::milliseconds boundFromEnvironment(const char* variable, std::chrono::milliseconds fallback);

private:
    // Serves the event loop until the program exits or failed to start, or bound (when positive) passes.
    void serveUntilExit(std::chrono::milliseconds bound);
    void stop();

    QString m_launchPath;
    QStringList m_arguments;
    QProcess* m_process = nullptr;
    bool m_failedToStart = false;
    bool m_timedOut = false;
};
