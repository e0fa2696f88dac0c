#include "Handlers/JoinProgressWindow.h"

#include "Handlers/AlertLabel.h"
#include "Handlers/ByteCountText.h"
#include "Platform/App/Application.h"
#include "Platform/App/NotificationCenter.h"
#include "Platform/App/Window.h"
#include "Platform/Log/ExceptionGuard.h"
#include "Platform/Log/Log.h"
#include "ui_JoinProgressWindow.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMutex>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <cmath>
#include <utility>

namespace {

JoinProgressWindow* joinProgressObj = nullptr;
QMutex classLock;

const QString terminateNotification = QStringLiteral("OrvoPluginTerminate");
const QString downloadFailedNotification = QStringLiteral("RetryDMGDownloadig");

QString phaseText(JoinProgressWindow::Phase phase)
{
    switch (phase) {
    case JoinProgressWindow::Phase::CheckingService:
        return JoinProgressWindow::tr("Checking with the Orvo Wendra service ...");
    case JoinProgressWindow::Phase::Downloading:
        return JoinProgressWindow::tr("Downloading the support app ...");
    case JoinProgressWindow::Phase::Installing:
        return JoinProgressWindow::tr("Installing the support app ...");
    case JoinProgressWindow::Phase::StartingAgent:
        return JoinProgressWindow::tr("Starting the support app ...");
    }
    return QString();
}

// A screen reader hears the download at these steps, not at every percent.
constexpr int announcedStep = 25;

// Byte counts read left to right inside a right-to-left line.
QString leftToRight(const QString& text)
{
    return QGuiApplication::isRightToLeft() ? QStringLiteral("\u2066") + text + QStringLiteral("\u2069") : text;
}

// One frame of the screen the window is on, in milliseconds: as often as a change can be seen; never longer than
// the 200 ms within which the figures must follow the download.
int frameMs(const QWidget* window)
{
    const QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
    const qreal hertz = screen ? screen->refreshRate() : 0;
    return hertz > 0 ? qBound(1, qRound(1000 / hertz), 200) : 16;
}

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

JoinProgressWindow::JoinProgressWindow()
    : WindowController(QStringLiteral("JoinProgressWindow")), m_progressFrame(new QTimer(this))
{
    m_progressFrame->setSingleShot(true);
    connect(m_progressFrame, &QTimer::timeout, this, [this] {
        ExceptionGuard::run("-[JoinProgressWindow showDownloadProgress:]", [this] { paintDownloadProgress(); });
    });
    NotificationCenter::defaultCenter().addObserver(this, downloadFailedNotification, nullptr,
                                                    [this](const Notification& n) { downloadFailed(n.object); });
}

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
    m_phaseLabel = layout.phaseLabel;
    m_failureLabel = layout.failureLabel;
    m_failureLabel->hide();
    m_retryButton = layout.retryButton;
    m_retryButton->setDefault(true);
    m_retryButton->hide();
    connect(m_retryButton, &QPushButton::clicked, this, &JoinProgressWindow::retryButtonAction);
    // Return and Enter press Retry wherever the focus is, as a default button does; only while Retry is offered.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, window);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (m_retryButton->isVisible()) {
                m_retryButton->animateClick();
            }
        });
    }
}

void JoinProgressWindow::windowDidLoad()
{
    ExceptionGuard::run("-[JoinProgressWindow windowDidLoad]", [this] {
        QWidget* window = loadedWindow();
        Window::setFrame(window, placement(Window::mainScreenFrame(), window->geometry()));
        Window::setFloatingLevel(window);
        Window::setWhiteBackground(window);
        startAnimation(m_progress);
        m_infoLabel->setText(tr("Please wait while establishing connection ..."));
        window->setWindowTitle(tr("Orvo Wendra - CustomerPlugin"));
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

void JoinProgressWindow::showPhase(Phase phase)
{
    ExceptionGuard::run("-[JoinProgressWindow showPhase:]", [&] {
        window();
        leaveFailure();
        // A held download report must not paint over the new phase.
        m_progressFrame->stop();
        startAnimation(m_progress);
        m_announcedPercent = 0;
        showPhaseLine(phaseText(phase), true);
    });
}

void JoinProgressWindow::showDownloadProgress(qint64 received, qint64 expected)
{
    ExceptionGuard::run("-[JoinProgressWindow showDownloadProgress:]", [&] {
        window();
        if (m_retry) {
            return;
        }
        m_received = received;
        m_expected = expected;
        // A fast download reports far more often than the screen shows; each report painted would slow it.
        if (m_progressFrame->isActive()) {
            return;
        }
        const qint64 frame = frameMs(loadedWindow());
        const qint64 since = m_progressShown.isValid() ? m_progressShown.elapsed() : frame;
        if (since >= frame) {
            paintDownloadProgress();
        } else {
            m_progressFrame->start(static_cast<int>(frame - since));
        }
    });
}

void JoinProgressWindow::paintDownloadProgress()
{
    if (m_retry || !m_progress || !m_phaseLabel) {
        return;
    }
    m_progressShown.start();
    const int percent = ByteCountText::percent(m_received, m_expected);
    if (percent < 0) {
        startAnimation(m_progress);
    } else {
        m_progress->setRange(0, 100);
        m_progress->setValue(percent);
    }
    // Between the steps a screen reader reads the bar's value when asked.
    const int step = percent / announcedStep * announcedStep;
    const bool announced = step > m_announcedPercent;
    if (announced) {
        m_announcedPercent = step;
    }
    showPhaseLine(tr("Downloading the support app: ") + leftToRight(ByteCountText::progress(m_received, m_expected)),
                  announced);
}

void JoinProgressWindow::showFailure(const TranslatedText& message, std::function<void()> retry)
{
    const char* fullName = "-[JoinProgressWindow showFailure:]";
    ExceptionGuard::run(fullName, [&] {
        Log::write("%s : %@", fullName, message.english());
        QWidget* window = this->window();
        m_waiting = false;
        m_progressFrame->stop();
        m_retry = std::move(retry);
        m_infoLabel->hide();
        m_progress->hide();
        m_phaseLabel->hide();
        m_retryButton->show();
        if (!window->isVisible()) {
            showWindow(this);
        }
        // Shown in a visible window, so the alert is spoken before the focus moves to Retry.
        m_failureLabel->showAlert(message.shown());
        m_retryButton->setFocus();
    });
}

bool JoinProgressWindow::isShowingFailure() const
{
    return m_retry && !m_waiting;
}

void JoinProgressWindow::showRetryWait(int secondsLeft, std::function<void()> attemptNow)
{
    ExceptionGuard::run("-[JoinProgressWindow showRetryWait:]", [&] {
        window();
        const bool starts = !m_waiting;
        if (starts) {
            leaveFailure();
            m_textBeforeWait = m_phaseLabel->text();
        }
        m_waiting = true;
        m_retry = std::move(attemptNow);
        // Announced as the wait begins, not at every second of it.
        //: %1 is a number of seconds.
        showPhaseLine(tr("Connection lost, trying again in %1 s...").arg(leftToRight(QString::number(secondsLeft))),
                      starts);
        m_retryButton->show();
    });
}

void JoinProgressWindow::endRetryWait()
{
    ExceptionGuard::run("-[JoinProgressWindow endRetryWait]", [&] {
        if (m_waiting) {
            leaveFailure();
        }
    });
}

void JoinProgressWindow::watchDownload(const void* downloader, std::function<TranslatedText()> failureMessage,
                                       std::function<void()> retry)
{
    m_watchedDownloader = downloader;
    m_downloadFailureMessage = std::move(failureMessage);
    m_downloadRetry = std::move(retry);
}

void JoinProgressWindow::downloadFailed(const void* downloader)
{
    if (!downloader || downloader != m_watchedDownloader || !m_downloadRetry) {
        return;
    }
    showFailure(m_downloadFailureMessage ? m_downloadFailureMessage() : TranslatedText(), m_downloadRetry);
}

void JoinProgressWindow::retryButtonAction()
{
    const char* fullName = "-[JoinProgressWindow retryButtonAction:]";
    ExceptionGuard::run(fullName, [&] {
        if (!m_retry) {
            return;
        }
        // Taken now, so a second press before the step restarts does nothing.
        std::function<void()> retry = std::exchange(m_retry, nullptr);
        Log::write("%s : Retry", fullName);
        leaveFailure();
        // From the event loop, so the step does not run inside the key or click that asked for it.
        QTimer::singleShot(0, this, [retry] { retry(); });
    });
}

void JoinProgressWindow::leaveFailure()
{
    m_retry = nullptr;
    if (std::exchange(m_waiting, false) && m_phaseLabel) {
        showPhaseLine(m_textBeforeWait, true);
    }
    if (m_retryButton) {
        m_retryButton->hide();
        m_failureLabel->hide();
        m_infoLabel->show();
        m_progress->show();
        m_phaseLabel->show();
    }
}

void JoinProgressWindow::showPhaseLine(const QString& text, bool announced)
{
    if (announced) {
        // A screen reader hears the name change; the name then stays the text last announced, and the text set
        // after it changes no name.
        m_phaseLabel->setAccessibleName(text);
        QAccessibleEvent event(m_phaseLabel, QAccessible::Alert);
        QAccessible::updateAccessibility(&event);
    }
    m_phaseLabel->setText(text);
}

QLabel* JoinProgressWindow::phaseLabel() const
{
    return m_phaseLabel;
}

QLabel* JoinProgressWindow::failureLabel() const
{
    return m_failureLabel;
}

QPushButton* JoinProgressWindow::retryButton() const
{
    return m_retryButton;
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
