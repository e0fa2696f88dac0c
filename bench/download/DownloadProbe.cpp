#include "download/DownloadProbe.h"

#include <QCoreApplication>

void DownloadProbe::downloadDidBegin(UrlDownload* /*download*/) {}

void DownloadProbe::downloadDidFail(UrlDownload* /*download*/, const UrlError& error)
{
    m_failure = error.description();
    QCoreApplication::exit(1);
}

void DownloadProbe::downloadDidFinish(UrlDownload* /*download*/)
{
    m_finished = true;
    QCoreApplication::exit(0);
}

bool DownloadProbe::finished() const
{
    return m_finished;
}

QString DownloadProbe::failure() const
{
    return m_failure;
}
