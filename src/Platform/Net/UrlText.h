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
    // A URL's text as a log line shows it: any user and password as "***", outside characters escaped and cut.
    static QString forLog(const QString& text);
    // The URL's encoded text as forLog shows it; "(null)" when there is none.
    static QString forLog(const std::optional<QUrl>& url);
};
