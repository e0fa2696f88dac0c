#include "Platform/Net/DownloadError.h"

QString DownloadError::description() const
{
    QString text =
        QStringLiteral("Error Domain=NSURLErrorDomain Code=%1 \"%2\" UserInfo={").arg(code).arg(localizedDescription);
    if (httpStatus != 0) {
        text += QStringLiteral("HTTPStatusCode=%1, ").arg(httpStatus);
    }
    text += QStringLiteral("NSErrorFailingURLStringKey=%1, NSLocalizedDescription=%2}")
                .arg(failingUrlString, localizedDescription);
    return text;
}
