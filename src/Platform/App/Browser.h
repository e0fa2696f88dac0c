#pragma once

#include "Platform/Log/Result.h"

#include <QUrl>

// The user's web browser.
class Browser
{
public:
    // Opens the page in the user's browser; fails when no browser took it.
    static Result<> openURL(const QUrl& url);
};
