#pragma once

#include "Platform/Net/UrlError.h"

#include <QtGlobal>

class UrlDownload;

// What a download reports, always from the main event loop: begin, progress, then either failure or finish.
class UrlDownloadDelegate
{
public:
    virtual ~UrlDownloadDelegate() = default;

    // The exchange has started.
    virtual void downloadDidBegin(UrlDownload* download) = 0;
    // The download failed; the destination holds what it held before.
    virtual void downloadDidFail(UrlDownload* download, const UrlError& error) = 0;
    // The whole body is at the destination.
    virtual void downloadDidFinish(UrlDownload* download) = 0;
    // The response has arrived: the whole file's length, or -1 when the server did not say.
    virtual void downloadDidReceiveResponse(UrlDownload* /*download*/, qint64 /*expectedLength*/) {}
    // The file's bytes so far, a resumed part included.
    virtual void downloadDidReceiveData(UrlDownload* /*download*/, qint64 /*bytesReceived*/) {}
};
