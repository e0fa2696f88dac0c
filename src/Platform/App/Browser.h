#pragma once

#include <QUrl>

// The user's web browser.
class Browser
{
public:
    // Opens the page in the user's browser; false when no browser took it.
    static bool openURL(const QUrl& url);
};
