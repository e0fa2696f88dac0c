#pragma once

#include <QRect>

class QWidget;

// What controllers do to a window: level, background, standard buttons, placement, showing and ordering out.
class Window
{
public:
    // Level 3, the floating level: the window stays above ordinary windows.
    static void setFloatingLevel(QWidget* window);
    static void setWhiteBackground(QWidget* window);
    // Hides the minimise and zoom buttons; the close button stays.
    static void hideMinimizeAndZoomButtons(QWidget* window);
    static bool hasMinimizeButton(const QWidget* window);
    static bool hasZoomButton(const QWidget* window);
    static bool hasCloseButton(const QWidget* window);
    // The main screen's whole frame (menu bar and dock included), in points.
    static QRect mainScreenFrame();
    // Sets the window's frame: origin and size in points, redisplaying at once.
    static void setFrame(QWidget* window, const QRect& frame);
    // Centres the window on the main screen's available area.
    static void center(QWidget* window);
    // Shows the window in front of the others and gives it keyboard focus.
    static void makeKeyAndOrderFront(QWidget* window);
    // Brings the application's shown windows in front of the others, giving one of them keyboard focus.
    static void orderFrontShownWindows();
    // Hides the window without closing it.
    static void orderOut(QWidget* window);
    // Closes the window without asking its controller; only the close box asks.
    static void close(QWidget* window);
    // Whether close() is closing the window at the moment.
    static bool isClosingWithoutAsking(const QWidget* window);
};
