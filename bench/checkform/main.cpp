// The fair floor for start-up and memory: the minimal form, shown only once this process has made the one HTTPS
// check the plugin's start-up makes, with libcurl, trusting SSL_CERT_FILE as the plugin does.
// Usage: orvo-bench-checkform URL
#include "window/BenchForm.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>

namespace {

size_t discard(char* /*data*/, size_t size, size_t count, void* /*user*/)
{
    return size * count;
}

// The status of a GET of url; 0 when none arrived.
long check(const char* url)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* easy = curl_easy_init();
    long status = 0;
    if (easy) {
        curl_easy_setopt(easy, CURLOPT_URL, url);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &discard);
        if (const char* trusted = std::getenv("SSL_CERT_FILE")) {
            curl_easy_setopt(easy, CURLOPT_CAINFO, trusted);
        }
        if (curl_easy_perform(easy) == CURLE_OK) {
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        }
        curl_easy_cleanup(easy);
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvo-bench-checkform URL\n");
        return 2;
    }
    if (check(argv[1]) != 200) {
        std::fprintf(stderr, "orvo-bench-checkform: the check failed\n");
        return 1;
    }
    BenchForm window;
    window.show();
    return QApplication::exec();
}
