#pragma once

#include <QString>

// Why a download failed: the URL error code, its localised description, the failing URL and, for a reply that
// was not a success, its HTTP status.
struct DownloadError
{
    int code = 0;
    QString localizedDescription;
    // The failing URL as text; "(null)" when the request had no valid URL.
    QString failingUrlString;
    // The HTTP status of the final reply; 0 when none arrived.
    long httpStatus = 0;

    // The whole error as a log line prints it.
    QString description() const;
};
