#include "Platform/Net/Tls.h"

#include "Platform/Log/Log.h"

#include <QByteArray>

#include <unistd.h>

#include <curl/curl.h>
#include <mutex>

CURL* Tls::newTransfer()
{
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL* easy = curl_easy_init();
    if (!easy) {
        return nullptr;
    }
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    // OpenSSL's convention, which curl's own tool follows too: either variable replaces the system's roots.
    const QByteArray file = qgetenv("SSL_CERT_FILE");
    const QByteArray folder = qgetenv("SSL_CERT_DIR");
    if (!file.isEmpty() || !folder.isEmpty()) {
        // curl copies both texts.
        curl_easy_setopt(easy, CURLOPT_CAINFO, file.isEmpty() ? nullptr : file.constData());
        curl_easy_setopt(easy, CURLOPT_CAPATH, folder.isEmpty() ? nullptr : folder.constData());
    }
    return easy;
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
