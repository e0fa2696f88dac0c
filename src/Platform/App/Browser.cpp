#include "Platform/App/Browser.h"

#include <QDesktopServices>

namespace {

std::function<bool(const QUrl&)> openFunction;

} // namespace

bool Browser::openURL(const QUrl& url)
{
    return openFunction ? openFunction(url) : QDesktopServices::openUrl(url);
}

void Browser::setOpenFunction(std::function<bool(const QUrl&)> open)
{
    openFunction = std::move(open);
}
