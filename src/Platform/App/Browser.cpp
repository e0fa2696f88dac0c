#include "Platform/App/Browser.h"

#include "Platform/Log/TestHooks.h"

#include <QDesktopServices>

Result<> Browser::openURL(const QUrl& url)
{
    if (!(TestHooks::openURL ? TestHooks::openURL(url) : QDesktopServices::openUrl(url))) {
        return Failure{QStringLiteral("no browser opened %1").arg(url.toString())};
    }
    return {};
}
