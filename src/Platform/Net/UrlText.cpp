#include "Platform/Net/UrlText.h"

QString UrlText::addingPercentEncodingForQuery(const QString& text)
{
    static const QByteArray kept = QByteArrayLiteral("-._~!$&'()*+,;=:@/?");
    QString out;
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
            kept.contains(c)) {
            out += QLatin1Char(c);
        } else {
            out += QStringLiteral("%%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        }
    }
    return out;
}

std::optional<QUrl> UrlText::urlWithString(const QString& text)
{
    QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid()) {
        return std::nullopt;
    }
    return url;
}
