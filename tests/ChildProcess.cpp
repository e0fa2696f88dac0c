#include "ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QUuid>
#include <QtTest>

#include <signal.h>
#include <unistd.h>

namespace {

const QByteArray markName = QByteArrayLiteral("ORVO_TEST_PROCESS_MARK");

} // namespace

ChildProcess::ChildProcess() : m_mark(QUuid::createUuid().toByteArray(QUuid::WithoutBraces))
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    setEnvironment(QProcessEnvironment::systemEnvironment());
    // Its own group, so that one signal reaches the helpers it runs in the foreground.
    m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

ChildProcess::~ChildProcess()
{
    stop();
}

void ChildProcess::setEnvironment(const QProcessEnvironment& environment)
{
    QProcessEnvironment marked = environment;
    marked.insert(QString::fromLatin1(markName), QString::fromLatin1(m_mark));
    m_process.setProcessEnvironment(marked);
}

bool ChildProcess::start(const QString& program, const QStringList& arguments)
{
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(10000)) {
        return false;
    }
    m_pid = m_process.processId();
    return true;
}

void ChildProcess::signal(int signalNumber)
{
    if (m_process.state() != QProcess::NotRunning) {
        ::kill(static_cast<pid_t>(m_pid), signalNumber);
    }
}

bool ChildProcess::waitForExit(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

void ChildProcess::stop()
{
    if (m_pid == 0) {
        return;
    }
    signalAll(SIGTERM);
    if (!QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning && !anyMarkedProcessRunning(); },
                         5000)) {
        signalAll(SIGKILL);
        m_process.waitForFinished(5000);
        (void)QTest::qWaitFor([this] { return !anyMarkedProcessRunning(); }, 5000);
    }
    m_pid = 0;
}

bool ChildProcess::anyMarkedProcessRunning() const
{
    return !markedProcesses().isEmpty();
}

QByteArray ChildProcess::output()
{
    m_output += m_process.readAll();
    return m_output;
}

QList<qint64> ChildProcess::markedProcesses() const
{
    const QByteArray entry = markName + '=' + m_mark;
    QList<qint64> found;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : pids) {
        bool number = false;
        const qint64 pid = name.toLongLong(&number);
        if (!number || pid == ::getpid()) {
            continue;
        }
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        // A zombie shows an empty environment, so a finished process no longer counts.
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(entry)) {
            found << pid;
        }
    }
    return found;
}

void ChildProcess::signalAll(int signalNumber)
{
    ::kill(-static_cast<pid_t>(m_pid), signalNumber);
    for (qint64 pid : markedProcesses()) {
        ::kill(static_cast<pid_t>(pid), signalNumber);
    }
}
