#include "Platform/Net/UrlError.h"

#include "Platform/Log/Log.h"
#include "Platform/Net/UrlText.h"

int UrlError::number() const
{
    return static_cast<int>(code);
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
