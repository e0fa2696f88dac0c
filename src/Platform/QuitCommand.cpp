#include "Platform/QuitCommand.h"

#include "Platform/Application.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop picks the byte up.
void onSignal(int signalNumber)
{
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

QuitCommand::QuitCommand(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) == 0) {
        m_notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &QuitCommand::readSignal);
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
    }
    QCoreApplication::instance()->installEventFilter(this);
}

QuitCommand::~QuitCommand()
{
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
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
            Application::terminate();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
