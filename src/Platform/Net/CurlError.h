#pragma once

#include "Platform/Net/UrlError.h"

// The URL error that a libcurl result stands for; one table for checks and downloads alike.
class CurlError
{
public:
    // For a transfer that ended with curlCode (not CURLE_OK), failing at failingUrl (empty for a check).
    static UrlError urlError(int curlCode, const QString& failingUrl = QString());
};
