#include "Platform/App/Window.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

namespace {

const char* const closingWithoutAsking = "orvoClosingWithoutAsking";

// Changing a shown window's flags hides it; show it again so a flag change never orders a window out.
void setFlag(QWidget* window, Qt::WindowType flag, bool on)
{
    const bool visible = window->isVisible();
    window->setWindowFlag(flag, on);
    if (visible) {
        window->show();
    }
}

} // namespace

void Window::setFloatingLevel(QWidget* window)
{
    setFlag(window, Qt::WindowStaysOnTopHint, true);
}

void Window::setWhiteBackground(QWidget* window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Qt::white);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

void Window::hideMinimizeAndZoomButtons(QWidget* window)
{
    const bool visible = window->isVisible();
    Qt::WindowFlags flags = window->windowFlags();
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    flags &= ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowMinMaxButtonsHint);
    window->setWindowFlags(flags);
    if (visible) {
        window->show();
    }
}

bool Window::hasMinimizeButton(const QWidget* window)
{
    const Qt::WindowFlags flags = window->windowFlags();
    return !flags.testFlag(Qt::CustomizeWindowHint) || flags.testFlag(Qt::WindowMinimizeButtonHint);
}

bool Window::hasZoomButton(const QWidget* window)
{
    const Qt::WindowFlags flags = window->windowFlags();
    return !flags.testFlag(Qt::CustomizeWindowHint) || flags.testFlag(Qt::WindowMaximizeButtonHint);
}

bool Window::hasCloseButton(const QWidget* window)
{
    const Qt::WindowFlags flags = window->windowFlags();
    return !flags.testFlag(Qt::CustomizeWindowHint) || flags.testFlag(Qt::WindowCloseButtonHint);
}

QRect Window::mainScreenFrame()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

void Window::setFrame(QWidget* window, const QRect& frame)
{
    window->setGeometry(frame);
    window->repaint();
}

void Window::center(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void Window::makeKeyAndOrderFront(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void Window::orderFrontShownWindows()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible()) {
            window->raise();
            window->activateWindow();
        }
    }
}

void Window::orderOut(QWidget* window)
{
    window->hide();
}

void Window::close(QWidget* window)
{
    window->setProperty(closingWithoutAsking, true);
    window->close();
    window->setProperty(closingWithoutAsking, QVariant());
}

bool Window::isClosingWithoutAsking(const QWidget* window)
{
    return window->property(closingWithoutAsking).toBool();
}
