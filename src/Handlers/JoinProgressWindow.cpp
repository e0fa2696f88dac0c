#include "Handlers/JoinProgressWindow.h"

#include "Platform/Application.h"
#include "Platform/ExceptionGuard.h"
#include "Platform/Log.h"
#include "Platform/NotificationCenter.h"
#include "Platform/Window.h"
#include "ui_JoinProgressWindow.h"

#include <QLabel>
#include <QMutex>
#include <QProgressBar>

#include <cmath>

namespace {

JoinProgressWindow* joinProgressObj = nullptr;
QMutex classLock;

const QString terminateNotification = QStringLiteral("OrvoPluginTerminate");

// A busy indicator runs while its range is empty.
void startAnimation(QProgressBar* progress)
{
    progress->setRange(0, 0);
}

void stopAnimation(QProgressBar* progress)
{
    progress->setRange(0, 1);
    progress->setValue(0);
}

} // namespace

JoinProgressWindow::JoinProgressWindow() : WindowController(QStringLiteral("JoinProgressWindow")) {}

JoinProgressWindow* JoinProgressWindow::getInstance()
{
    const char* fullName = "+[JoinProgressWindow getInstance]";
    JoinProgressWindow* instance = nullptr;
    ExceptionGuard::run(fullName, [&] {
        QMutexLocker locker(&classLock);
        if (!joinProgressObj) {
            joinProgressObj = new JoinProgressWindow;
            Log::write("%s : Update Info Object Allocated", fullName);
        }
        instance = joinProgressObj;
    });
    return instance;
}

QRect JoinProgressWindow::placement(const QRect& s, const QRect& w)
{
    const double x = s.width() * 0.5 - w.width() * 0.5;
    const double y = s.height() * 0.5 - w.height() * 0.5;
    return QRect(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)), w.width(), w.height());
}

void JoinProgressWindow::loadWindowLayout(QWidget* window)
{
    Ui::JoinProgressWindow layout;
    layout.setupUi(window);
    setOrvoJoinWindow(window);
    setInfoLabel(layout.infoLabel);
    setProgress(layout.progress);
}

void JoinProgressWindow::windowDidLoad()
{
    ExceptionGuard::run("-[JoinProgressWindow windowDidLoad]", [this] {
        QWidget* window = loadedWindow();
        Window::setFrame(window, placement(Window::mainScreenFrame(), window->geometry()));
        Window::setFloatingLevel(window);
        Window::setWhiteBackground(window);
        startAnimation(m_progress);
        m_infoLabel->setText(QStringLiteral("Please wait while establishing connection ..."));
        window->setWindowTitle(QStringLiteral("Orvo Wendra - CustomerPlugin"));
        Window::hideMinimizeAndZoomButtons(window);
        WindowController::windowDidLoad();
    });
}

void JoinProgressWindow::showWindow(QObject* sender)
{
    ExceptionGuard::run("-[JoinProgressWindow showWindow:]", [&] {
        if (m_orvoJoinWindow) {
            Window::makeKeyAndOrderFront(m_orvoJoinWindow);
        }
        WindowController::showWindow(sender);
    });
}

void JoinProgressWindow::closeWindow()
{
    const char* fullName = "-[JoinProgressWindow closeWindow]";
    ExceptionGuard::run(fullName, [&] {
        Log::write("%s : OrvoJoinWindowHandler.closeWindow() called!", fullName);
        if (m_orvoJoinWindow) {
            Window::orderOut(m_orvoJoinWindow);
        }
        if (QWidget* window = loadedWindow()) {
            Window::orderOut(window);
        }
        NotificationCenter::defaultCenter().post(terminateNotification, this);
    });
}

bool JoinProgressWindow::windowShouldClose(QWidget* window)
{
    const char* fullName = "-[JoinProgressWindow windowShouldClose:]";
    ExceptionGuard::run(fullName, [&] {
        if (m_orvoJoinWindow) {
            Window::orderOut(m_orvoJoinWindow);
        }
        if (m_progress) {
            stopAnimation(m_progress);
        }
        Window::orderOut(window);
        Log::write("%s : Terminating Orvo Wendra Customer Plugin App", fullName);
        NotificationCenter::defaultCenter().post(terminateNotification, this);
        Application::terminate();
    });
    return true;
}

QWidget* JoinProgressWindow::orvoJoinWindow() const
{
    return m_orvoJoinWindow;
}

void JoinProgressWindow::setOrvoJoinWindow(QWidget* window)
{
    m_orvoJoinWindow = window;
}

QLabel* JoinProgressWindow::infoLabel() const
{
    return m_infoLabel;
}

void JoinProgressWindow::setInfoLabel(QLabel* label)
{
    m_infoLabel = label;
}

QProgressBar* JoinProgressWindow::progress() const
{
    return m_progress;
}

void JoinProgressWindow::setProgress(QProgressBar* progress)
{
    m_progress = progress;
}
