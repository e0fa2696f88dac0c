#include "Platform/App/Browser.h"

#include "Platform/Log/TestHooks.h"

#include <QDesktopServices>

bool Browser::openURL(const QUrl& url)
{
    return TestHooks::openURL ? TestHooks::openURL(url) : QDesktopServices::openUrl(url);
}
