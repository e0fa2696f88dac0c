#include "Platform/Net/UrlText.h"

QString UrlText::addingPercentEncodingForQuery(const QString& text)
{
    // Letters, digits and "-._~" stay without being named.
    return QString::fromLatin1(QUrl::toPercentEncoding(text, QByteArrayLiteral("!$&'()*+,;=:@/?")));
}

std::optional<QUrl> UrlText::urlWithString(const QString& text)
{
    QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid()) {
        return std::nullopt;
    }
    return url;
}
