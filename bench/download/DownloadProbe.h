#pragma once

#include "Platform/Net/UrlDownloadDelegate.h"

#include <QString>

// Watches one download for the benchmark: notes how it ended and stops the event loop.
class DownloadProbe : public UrlDownloadDelegate
{
public:
    void downloadDidBegin(UrlDownload* download) override;
    void downloadDidFail(UrlDownload* download, const UrlError& error) override;
    void downloadDidFinish(UrlDownload* download) override;

    bool finished() const;
    // The failure's description; empty after a finish.
    QString failure() const;

private:
    bool m_finished = false;
    QString m_failure;
};
