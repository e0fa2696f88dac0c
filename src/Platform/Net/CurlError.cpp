#include "Platform/Net/CurlError.h"

#include <curl/curl.h>

std::pair<int, QString> CurlError::urlError(int curlCode)
{
    switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_FILESIZE_EXCEEDED:
        return {-1103, QStringLiteral("resource exceeds maximum size")};
    case CURLE_OPERATION_TIMEDOUT:
        return {-1001, QStringLiteral("The request timed out.")};
    case CURLE_COULDNT_CONNECT:
        return {-1004, QStringLiteral("Could not connect to the server.")};
    case CURLE_COULDNT_RESOLVE_HOST:
        return {-1003, QStringLiteral("A server with the specified hostname could not be found.")};
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
        return {-1005, QStringLiteral("The network connection was lost.")};
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return {-1200,
                QStringLiteral("An SSL error has occurred and a secure connection to the server cannot be made.")};
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return {-1002, QStringLiteral("unsupported URL")};
    case CURLE_TOO_MANY_REDIRECTS:
        return {-1007, QStringLiteral("too many HTTP redirects")};
    default:
        return {-1, QString::fromUtf8(curl_easy_strerror(static_cast<CURLcode>(curlCode)))};
    }
}
