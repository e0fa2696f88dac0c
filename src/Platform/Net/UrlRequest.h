#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

// A URL request: location, cache policy, idle time-out, method and headers.
class UrlRequest
{
public:
    // A request for url (nothing when the text named no valid URL) with the platform's cache policy value and the
    // longest pause the exchange may make before it counts as timed out.
    UrlRequest(const std::optional<QUrl>& url, int cachePolicy, std::chrono::milliseconds timeoutInterval);

    std::optional<QUrl> url() const;
    int cachePolicy() const;
    std::chrono::milliseconds timeoutInterval() const;
    QString httpMethod() const;
    // "GET" unless set.
    void setHttpMethod(const QString& method);
    // Sets a header, replacing an earlier value of the same field (names compare without regard to case).
    void setValueForHTTPHeaderField(const QString& value, const QString& field);
    // The header's value, or nothing when it is not set.
    std::optional<QString> valueForHTTPHeaderField(const QString& field) const;
    // Every header in the order first set.
    QList<QPair<QString, QString>> allHTTPHeaderFields() const;

private:
    std::optional<QUrl> m_url;
    int m_cachePolicy = 0;
    std::chrono::milliseconds m_timeoutInterval;
    QString m_method = QStringLiteral("GET");
    QList<QPair<QString, QString>> m_headers;
};
