#pragma once

#include "Platform/Log/Result.h"

#include <QUrl>

#include <functional>

// The user's web browser.
class Browser
{
public:
    // Opens the page in the user's browser; fails when no browser took it.
    static Result<> openURL(const QUrl& url);
    // Replaces how pages are opened, so a test can watch them (null: the browser again).
    static void setOpenFunction(std::function<bool(const QUrl&)> open);
};
