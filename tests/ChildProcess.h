#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A real child process in a process group of its own. Its environment carries a mark that everything it starts
// inherits, also programs that leave the group (a detached launch), so the destructor can end all of them and the
// test leaves no process behind.
class ChildProcess
{
public:
    ChildProcess();
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The environment to start with; the mark is added to it.
    void setEnvironment(const QProcessEnvironment& environment);
    bool start(const QString& program, const QStringList& arguments);
    // Sends a signal to the process itself (not its group).
    void signal(int signalNumber);
    // Waits, at most timeoutMs, for the process to end; true when it has.
    bool waitForExit(int timeoutMs);
    // Ends the group and every marked process: SIGTERM, a bounded wait, then SIGKILL.
    void stop();
    // Whether a process carrying this child's mark (the child or one it started) is still running.
    bool anyMarkedProcessRunning() const;
    QProcess& process() { return m_process; }
    qint64 processId() const { return m_pid; }
    // Everything written to standard output and error so far (both are merged).
    QByteArray output();

private:
    QList<qint64> markedProcesses() const;
    void signalAll(int signalNumber);

    QProcess m_process;
    QByteArray m_mark;
    QByteArray m_output;
    qint64 m_pid = 0;
};
