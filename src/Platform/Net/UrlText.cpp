#include "Platform/Net/UrlText.h"

#include "Platform/Log/Log.h"

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

QString UrlText::forLog(const QString& text)
{
    // Read as text, not parsed: an invalid URL may carry a password as well.
    const qsizetype scheme = text.indexOf(QLatin1String("://"));
    if (scheme < 0) {
        return Log::outsideText(text);
    }
    const qsizetype host = scheme + 3;
    qsizetype end = host;
    while (end < text.size() && text[end] != u'/' && text[end] != u'?' && text[end] != u'#') {
        ++end;
    }
    const qsizetype at = text.lastIndexOf(u'@', end - 1);
    if (at < host) {
        return Log::outsideText(text);
    }
    return Log::outsideText(text.left(host) + QLatin1String("***") + text.mid(at));
}

QString UrlText::forLog(const std::optional<QUrl>& url)
{
    return url ? forLog(QString::fromUtf8(url->toEncoded())) : QStringLiteral("(null)");
}
