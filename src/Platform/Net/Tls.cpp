#include "Platform/Net/Tls.h"

#include "Platform/Log/Log.h"

#include <QByteArray>

#include <unistd.h>

#include <curl/curl.h>

Result<> Tls::trust(CURL* easy)
{
    bool set = curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
               curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
    // OpenSSL's convention, which curl's own tool follows too: either variable replaces the system's roots.
    const QByteArray file = qgetenv("SSL_CERT_FILE");
    const QByteArray folder = qgetenv("SSL_CERT_DIR");
    if (set && (!file.isEmpty() || !folder.isEmpty())) {
        // curl copies both texts.
        set = curl_easy_setopt(easy, CURLOPT_CAINFO, file.isEmpty() ? nullptr : file.constData()) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_CAPATH, folder.isEmpty() ? nullptr : folder.constData()) == CURLE_OK;
    }
    if (!set) {
        return Failure{QStringLiteral("libcurl refused the TLS trust settings")};
    }
    return {};
}

void Tls::reportUnreadableTrust()
{
    for (const char* name : {"SSL_CERT_FILE", "SSL_CERT_DIR"}) {
        const QByteArray path = qgetenv(name);
        if (!path.isEmpty() && ::access(path.constData(), R_OK) != 0) {
            Log::write("%s %@ cannot be read: no HTTPS server will be trusted", name, QString::fromLocal8Bit(path));
        }
    }
}
