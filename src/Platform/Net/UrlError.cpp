#include "Platform/Net/UrlError.h"

#include "Platform/Log/Log.h"
#include "Platform/Net/UrlText.h"

int UrlError::number() const
{
    return static_cast<int>(code);
}

bool UrlError::isTransient() const
{
    if (!refusingProxy.isEmpty()) {
        return false;
    }
    if (httpStatus != 0) {
        return httpStatus == 408 || httpStatus == 429 || (httpStatus >= 500 && httpStatus <= 599);
    }
    switch (code) {
    case UrlErrorCode::TimedOut:
    case UrlErrorCode::CannotFindHost:
    case UrlErrorCode::CannotConnectToHost:
    case UrlErrorCode::NetworkConnectionLost:
        return true;
    default:
        return false;
    }
}

QString UrlError::description() const
{
    const QString shownDescription = Log::outsideText(localizedDescription);
    QString text = QStringLiteral("Error Domain=NSURLErrorDomain Code=%1 \"%2\"").arg(number()).arg(shownDescription);
    if (failingUrlString.isEmpty()) {
        return text;
    }
    text += QStringLiteral(" UserInfo={");
    if (httpStatus != 0) {
        text += QStringLiteral("HTTPStatusCode=%1, ").arg(httpStatus);
    }
    text += QStringLiteral("NSErrorFailingURLStringKey=%1, NSLocalizedDescription=%2}")
                .arg(UrlText::forLog(failingUrlString), shownDescription);
    return text;
}
