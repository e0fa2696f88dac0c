#pragma once

#include "Handlers/TranslatedText.h"
#include "Platform/App/WindowController.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QRect>

#include <functional>

class AlertLabel;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// The small window shown while a join is under way: the waiting message, the step under way with its progress,
// and, when a step failed, a plain message with Retry. Taking it down asks the plugin to quit; its close box quits
// at once.
class JoinProgressWindow : public WindowController
{
    Q_OBJECT

public:
    // The steps of a join the window names.
    enum class Phase
    {
        CheckingService,
        Downloading,
        Installing,
        StartingAgent
    };

    // The shared instance, created on first use; nothing when creating it failed.
    static JoinProgressWindow* getInstance();

    void showWindow(QObject* sender) override;
    // Hides the window and posts "OrvoPluginTerminate"; the quitting is left to its observer.
    void closeWindow();

    // Names phase on the second line with a running bar, leaving any failure shown; announced to screen readers.
    void showPhase(Phase phase);
    // The download's bytes so far of expected (-1: unknown, the bar then keeps running); shown at once, or within
    // one frame of the screen when one was shown less than a frame ago, so only the latest of a burst is painted;
    // announced at 25, 50, 75 and 100 %.
    void showDownloadProgress(qint64 received, qint64 expected);
    // The failure state: message (logged in English) in place of the progress, announced, and Retry, the window's
    // default button, which runs retry once.
    void showFailure(const TranslatedText& message, std::function<void()> retry);
    bool isShowingFailure() const;
    // The wait before an automatic attempt: the bar as it was, "trying again in" secondsLeft, and Retry, which
    // runs attemptNow at once; announced when the wait begins. Left by showPhase, showFailure or endRetryWait.
    void showRetryWait(int secondsLeft, std::function<void()> attemptNow);
    // Back from a wait to the step under way, with its bar and line as they were.
    void endRetryWait();
    // The downloader whose "RetryDMGDownloadig" the window answers with showFailure(failureMessage(), retry); the
    // notification from any other object (the background plugin download) leaves the window as it is.
    void watchDownload(const void* downloader, std::function<TranslatedText()> failureMessage,
                       std::function<void()> retry);
    // Retry's action: leaves the failure state and runs the failed step again (from the event loop).
    void retryButtonAction();

    // Where a window of frame w goes on a screen of frame s: the centre, from the screen's size alone (its origin
    // is not added).
    static QRect placement(const QRect& s, const QRect& w);

    QWidget* orvoJoinWindow() const;
    void setOrvoJoinWindow(QWidget* window);
    QLabel* infoLabel() const;
    void setInfoLabel(QLabel* label);
    QProgressBar* progress() const;
    void setProgress(QProgressBar* progress);
    QLabel* phaseLabel() const;
    QLabel* failureLabel() const;
    QPushButton* retryButton() const;

protected:
    void loadWindowLayout(QWidget* window) override;
    void windowDidLoad() override;
    bool windowShouldClose(QWidget* window) override;

private:
    JoinProgressWindow();

    void downloadFailed(const void* downloader);
    void paintDownloadProgress();
    void leaveFailure();
    void showPhaseLine(const QString& text, bool announced);

    QPointer<QWidget> m_orvoJoinWindow;
    QPointer<QLabel> m_infoLabel;
    QProgressBar* m_progress = nullptr;
    QPointer<QLabel> m_phaseLabel;
    QPointer<AlertLabel> m_failureLabel;
    // The last download milestone announced, in percent.
    int m_announcedPercent = 0;
    QPointer<QPushButton> m_retryButton;
    std::function<void()> m_retry;
    bool m_waiting = false;
    QString m_textBeforeWait;
    const void* m_watchedDownloader = nullptr;
    std::function<TranslatedText()> m_downloadFailureMessage;
    std::function<void()> m_downloadRetry;
    // The latest download report, painted at most once a frame.
    qint64 m_received = 0;
    qint64 m_expected = -1;
    QTimer* m_progressFrame = nullptr;
    QElapsedTimer m_progressShown;
};
