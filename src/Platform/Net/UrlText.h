#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// URL texts as the platform treats them.
class UrlText
{
public:
    // Percent-encodes every character a URL query may not hold as it is (RFC 3986 unreserved characters,
    // sub-delimiters, ":", "@", "/" and "?" stay), the percent sign included, as %XX of its UTF-8 bytes.
    static QString addingPercentEncodingForQuery(const QString& text);
    // The URL the text names exactly as written, or nothing when the text is not a valid URL.
    static std::optional<QUrl> urlWithString(const QString& text);
};
