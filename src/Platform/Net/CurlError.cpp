#include "Platform/Net/CurlError.h"

#include <curl/curl.h>
#include <utility>

namespace {

std::pair<UrlErrorCode, QString> codeAndText(int curlCode)
{
    switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_FILESIZE_EXCEEDED:
        return {UrlErrorCode::DataLengthExceedsMaximum, QStringLiteral("resource exceeds maximum size")};
    case CURLE_OPERATION_TIMEDOUT:
        return {UrlErrorCode::TimedOut, QStringLiteral("The request timed out.")};
    case CURLE_COULDNT_CONNECT:
        return {UrlErrorCode::CannotConnectToHost, QStringLiteral("Could not connect to the server.")};
    case CURLE_COULDNT_RESOLVE_HOST:
        return {UrlErrorCode::CannotFindHost,
                QStringLiteral("A server with the specified hostname could not be found.")};
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
        return {UrlErrorCode::NetworkConnectionLost, QStringLiteral("The network connection was lost.")};
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return {UrlErrorCode::SecureConnectionFailed,
                QStringLiteral("An SSL error has occurred and a secure connection to the server cannot be made.")};
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return {UrlErrorCode::UnsupportedUrl, QStringLiteral("unsupported URL")};
    case CURLE_TOO_MANY_REDIRECTS:
        return {UrlErrorCode::HttpTooManyRedirects, QStringLiteral("too many HTTP redirects")};
    default:
        return {UrlErrorCode::Unknown, QString::fromUtf8(curl_easy_strerror(static_cast<CURLcode>(curlCode)))};
    }
}

} // namespace

UrlError CurlError::urlError(int curlCode, const QString& failingUrl)
{
    auto [code, description] = codeAndText(curlCode);
    return UrlError{code, std::move(description), failingUrl, 0, {}, {}};
}
