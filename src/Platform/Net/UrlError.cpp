#include "Platform/Net/UrlError.h"

int UrlError::number() const
{
    return static_cast<int>(code);
}

QString UrlError::description() const
{
    QString text =
        QStringLiteral("Error Domain=NSURLErrorDomain Code=%1 \"%2\"").arg(number()).arg(localizedDescription);
    if (failingUrlString.isEmpty()) {
        return text;
    }
    text += QStringLiteral(" UserInfo={");
    if (httpStatus != 0) {
        text += QStringLiteral("HTTPStatusCode=%1, ").arg(httpStatus);
    }
    text += QStringLiteral("NSErrorFailingURLStringKey=%1, NSLocalizedDescription=%2}")
                .arg(failingUrlString, localizedDescription);
    return text;
}
