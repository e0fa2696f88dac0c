#include "Platform/Files/Task.h"

#include "Platform/Files/SystemRoot.h"
#include "Platform/Log/PlatformException.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <unistd.h>

#include <algorithm>

namespace {

constexpr std::chrono::milliseconds stopGrace{3000};

} // namespace

Task::Task(QObject* parent) : QObject(parent) {}

Task::~Task()
{
    // A child still running is left to run; only our handle on it goes.
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->disconnect();
        m_process->setParent(nullptr);
        QObject::connect(m_process, &QProcess::finished, m_process, &QObject::deleteLater);
    }
}

void Task::setLaunchPath(const QString& path)
{
    m_launchPath = path;
}

void Task::setArguments(const QStringList& arguments)
{
    m_arguments = arguments;
}

void Task::launch()
{
    if (m_process) {
        throw PlatformException(QStringLiteral("NSInvalidArgumentException"), QStringLiteral("task already launched"));
    }
    const QString program = SystemRoot::path(m_launchPath);
    if (m_launchPath.isEmpty() || ::access(QFile::encodeName(program).constData(), X_OK) != 0) {
        throw PlatformException(QStringLiteral("NSInvalidArgumentException"),
                                QStringLiteral("launch path not accessible: %1").arg(m_launchPath));
    }
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            m_failedToStart = true;
        }
    });
    m_process->start(program, m_arguments);
}

void Task::waitUntilExit()
{
    serveUntilExit(std::chrono::milliseconds::zero());
}

Result<> Task::waitUntilExit(std::chrono::milliseconds bound)
{
    m_timedOut = false;
    serveUntilExit(std::max(bound, std::chrono::milliseconds(1)));
    if (m_process && !m_failedToStart && m_process->state() != QProcess::NotRunning) {
        m_timedOut = true;
        stop();
        return Failure{QStringLiteral("%1 did not exit in time and was stopped").arg(m_launchPath)};
    }
    return {};
}

void Task::serveUntilExit(std::chrono::milliseconds bound)
{
    if (!m_process || m_failedToStart || m_process->state() == QProcess::NotRunning) {
        return;
    }
    QEventLoop loop;
    // A program that fails to start never finishes, so both end the wait.
    connect(m_process, &QProcess::finished, &loop, &QEventLoop::quit);
    connect(m_process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            loop.quit();
        }
    });
    QTimer timer;
    if (bound.count() > 0) {
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(bound);
    }
    loop.exec();
}

void Task::stop()
{
    // A polite request first, so a tool holding a mount can let go of it.
    m_process->terminate();
    serveUntilExit(stopGrace);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        // SIGKILL cannot be refused; the bound only covers a process stuck in the kernel.
        m_process->waitForFinished(static_cast<int>(stopGrace.count()));
    }
}

std::chrono::milliseconds Task::boundFromEnvironment(const char* variable, std::chrono::milliseconds fallback)
{
    bool valid = false;
    const qint64 value = qEnvironmentVariable(variable).toLongLong(&valid);
    return valid && value > 0 ? std::chrono::milliseconds(value) : fallback;
}

int Task::terminationStatus() const
{
    if (!m_process || m_failedToStart || m_process->state() != QProcess::NotRunning) {
        throw PlatformException(QStringLiteral("NSInvalidArgumentException"),
                                QStringLiteral("task not launched or still running: %1").arg(m_launchPath));
    }
    return m_process->exitCode();
}
