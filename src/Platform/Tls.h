#pragma once

// TLS trust for every HTTPS exchange of the process. Verification is always on.
class Tls
{
public:
    // Trusts the certificates of the PEM file named by SSL_CERT_FILE, when set, in addition to the system's.
    // Returns how many certificates were added.
    static int trustCertificatesFromEnvironment();
};
