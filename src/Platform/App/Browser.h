#pragma once

#include <QUrl>

#include <functional>

// The user's web browser.
class Browser
{
public:
    // Opens the page in the user's browser; false when no browser took it.
    static bool openURL(const QUrl& url);
    // Replaces how pages are opened, so a test can watch them (null: the browser again).
    static void setOpenFunction(std::function<bool(const QUrl&)> open);
};
