#pragma once

#include "ChildProcess.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A private X display for driving real windows as a customer would: Xvfb on a display number it picks itself, and
// openbox managing it, so that focus and the close box behave as on a desktop. Windows are driven with xdotool.
// Every wait is bounded; the destructor ends both servers.
class XSession
{
public:
    // Starts Xvfb and openbox and waits until the window manager has taken the screen.
    bool start();
    // ":N".
    QString display() const { return m_display; }
    // base with DISPLAY set to this session and no platform override, so Qt opens its windows here.
    QProcessEnvironment environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;

    // The first shown window whose title is exactly title (any title when empty) and that belongs to pid (any
    // process when 0), waiting at most
    // timeoutMs for it to appear; empty when none did.
    QString findWindow(const QString& title, qint64 pid = 0, int timeoutMs = 20000) const;
    // Whether the window is mapped (shown) now.
    bool isShown(const QString& window) const;
    // Raises the window and gives it the keyboard focus, as a click on it would.
    bool focus(const QString& window) const;
    // Types text into the focused control of the window, key by key.
    bool type(const QString& window, const QString& text) const;
    // Presses a key combination (xdotool names: "Return", "Tab", "ctrl+a") in the window.
    bool key(const QString& window, const QString& keys) const;
    // Closes the window through the window manager, as its close box does (the window may refuse).
    bool close(const QString& window) const;
    // Writes a PNG picture of the window.
    bool screenshot(const QString& window, const QString& pngPath) const;

    // Runs an X client on this display and waits at most timeoutMs; its exit status, or -1 when it did not finish.
    int run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
            int timeoutMs = 10000) const;

private:
    QTemporaryDir m_home;
    ChildProcess m_server;
    ChildProcess m_windowManager;
    QString m_display;
};
