#pragma once

#include "Platform/WindowController.h"

#include <QPointer>
#include <QRect>

class QLabel;
class QProgressBar;

// The small window with a running busy indicator shown while a join is under way. Taking it down asks the plugin
// to quit; its close box quits at once.
class JoinProgressWindow : public WindowController
{
    Q_OBJECT

public:
    // The shared instance, created on first use; nothing when creating it failed.
    static JoinProgressWindow* getInstance();

    void showWindow(QObject* sender) override;
    // Hides the window and posts "OrvoPluginTerminate"; the quitting is left to its observer.
    void closeWindow();

    // Where a window of frame w goes on a screen of frame s: the centre, from the screen's size alone (its origin
    // is not added).
    static QRect placement(const QRect& s, const QRect& w);

    QWidget* orvoJoinWindow() const;
    void setOrvoJoinWindow(QWidget* window);
    QLabel* infoLabel() const;
    void setInfoLabel(QLabel* label);
    QProgressBar* progress() const;
    void setProgress(QProgressBar* progress);

protected:
    void loadWindowLayout(QWidget* window) override;
    void windowDidLoad() override;
    bool windowShouldClose(QWidget* window) override;

private:
    JoinProgressWindow();

    QPointer<QWidget> m_orvoJoinWindow;
    QPointer<QLabel> m_infoLabel;
    QProgressBar* m_progress = nullptr;
};
