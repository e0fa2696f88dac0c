#pragma once

#include "Platform/Log/Result.h"

// libcurl's handle type, as its header declares it.
using CURL = void;

// TLS for every HTTPS exchange of the process, on libcurl. Verification is always on.
class Tls
{
public:
    // Makes the transfer verify the server against the trusted roots: those SSL_CERT_FILE and SSL_CERT_DIR name, in
    // place of the system's, when either is set; otherwise the system's, which OpenSSL reads only when a connection
    // needs them. Fails when libcurl refuses any of it.
    static Result<> trust(CURL* easy);
    // Logs a trust file or folder named in the environment that cannot be read, which would make every server
    // untrusted. Reads nothing of the certificates themselves.
    static void reportUnreadableTrust();
};
