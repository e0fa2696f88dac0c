#pragma once

// libcurl's handle type, as its header declares it.
using CURL = void;

// TLS for every HTTPS exchange of the process, on libcurl. Verification is always on.
class Tls
{
public:
    // A new libcurl transfer that speaks https only, follows redirects only to https and verifies the server
    // against the trusted roots: those SSL_CERT_FILE and SSL_CERT_DIR name, in place of the system's, when either
    // is set; otherwise the system's, which OpenSSL reads only when a connection needs them. Nothing when libcurl
    // cannot make one; free it with curl_easy_cleanup.
    static CURL* newTransfer();
    // Logs a trust file or folder named in the environment that cannot be read, which would make every server
    // untrusted. Reads nothing of the certificates themselves.
    static void reportUnreadableTrust();
};
