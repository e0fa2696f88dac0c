#pragma once

#include "Platform/Net/UrlError.h"

// What both disk-image downloaders do on a failed download.
class DownloadFailureReport
{
public:
    // The two failure lines under fullName, then "RetryDMGDownloadig" with downloader as the notification's object.
    static void post(const char* fullName, const UrlError& error, const void* downloader);
    // The two failure lines alone, for an attempt that another one follows.
    static void log(const char* fullName, const UrlError& error);
};
