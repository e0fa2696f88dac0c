#include "Platform/App/Browser.h"

#include <QDesktopServices>

namespace {

std::function<bool(const QUrl&)> openFunction;

} // namespace

Result<> Browser::openURL(const QUrl& url)
{
    if (!(openFunction ? openFunction(url) : QDesktopServices::openUrl(url))) {
        return Failure{QStringLiteral("no browser opened %1").arg(url.toString())};
    }
    return {};
}

void Browser::setOpenFunction(std::function<bool(const QUrl&)> open)
{
    openFunction = std::move(open);
}
