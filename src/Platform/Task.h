#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

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
    // The exit status, or the signal number that ended the program; throws PlatformException when it never ran
    // or has not exited.
    int terminationStatus() const;

private:
    QString m_launchPath;
    QStringList m_arguments;
    QProcess* m_process = nullptr;
    bool m_failedToStart = false;
};
