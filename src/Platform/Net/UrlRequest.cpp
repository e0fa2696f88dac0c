#include "Platform/Net/UrlRequest.h"

UrlRequest::UrlRequest(const std::optional<QUrl>& url, int cachePolicy, std::chrono::milliseconds timeoutInterval)
    : m_url(url), m_cachePolicy(cachePolicy), m_timeoutInterval(timeoutInterval)
{
}

std::optional<QUrl> UrlRequest::url() const
{
    return m_url;
}

int UrlRequest::cachePolicy() const
{
    return m_cachePolicy;
}

std::chrono::milliseconds UrlRequest::timeoutInterval() const
{
    return m_timeoutInterval;
}

QString UrlRequest::httpMethod() const
{
    return m_method;
}

void UrlRequest::setHttpMethod(const QString& method)
{
    m_method = method;
}

void UrlRequest::setValueForHTTPHeaderField(const QString& value, const QString& field)
{
    for (auto& header : m_headers) {
        if (header.first.compare(field, Qt::CaseInsensitive) == 0) {
            header.second = value;
            return;
        }
    }
    m_headers.append({field, value});
}

std::optional<QString> UrlRequest::valueForHTTPHeaderField(const QString& field) const
{
    for (const auto& header : m_headers) {
        if (header.first.compare(field, Qt::CaseInsensitive) == 0) {
            return header.second;
        }
    }
    return std::nullopt;
}

QList<QPair<QString, QString>> UrlRequest::allHTTPHeaderFields() const
{
    return m_headers;
}
