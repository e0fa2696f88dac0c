#include "Platform/App/QuitCommand.h"

#include "Platform/App/Application.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

int signalPipe[2] = {-1, -1};
// The dispositions found when the signals were taken over, put back when the owner goes.
struct sigaction previousTerm = {};
struct sigaction previousInt = {};

// Only async-signal-safe work here: the event loop picks the byte up. The interrupted code may be about to read
// errno, so it is left as it was.
void onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

QuitCommand::QuitCommand(QObject* parent) : QObject(parent)
{
    if (signalPipe[0] >= 0) {
        // One owner at a time: taking the descriptors over would leave the first one reading a closed socket.
        std::fprintf(stderr, "QuitCommand: the quit signals already have an owner; this one only takes the shortcut\n");
    } else if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) == 0) {
        m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &QuitCommand::readSignal);
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, &previousTerm);
        sigaction(SIGINT, &action, &previousInt);
    }
    QCoreApplication::instance()->installEventFilter(this);
}

QuitCommand::~QuitCommand()
{
    if (!m_notifier) {
        return;
    }
    sigaction(SIGTERM, &previousTerm, nullptr);
    sigaction(SIGINT, &previousInt, nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void QuitCommand::readSignal()
{
    char byte = 0;
    while (::read(signalPipe[0], &byte, 1) > 0) {
    }
    Application::terminate();
}

bool QuitCommand::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Quit) || (key->key() == Qt::Key_Q && key->modifiers() == Qt::ControlModifier)) {
            // One press is one request: the override only claims the key, so that its press arrives here.
            if (event->type() == QEvent::ShortcutOverride) {
                event->accept();
            } else {
                Application::terminate();
            }
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
