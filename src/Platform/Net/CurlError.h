#pragma once

#include <QString>

#include <utility>

// The URL error, code and description, that a libcurl result stands for; one table for checks and downloads alike.
class CurlError
{
public:
    // For a transfer that ended with curlCode (not CURLE_OK).
    static std::pair<int, QString> urlError(int curlCode);
};
