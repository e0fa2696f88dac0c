#include "Handlers/DownloadFailureReport.h"

#include "Platform/App/NotificationCenter.h"
#include "Platform/Log/Log.h"
#include "Platform/Net/UrlText.h"

void DownloadFailureReport::post(const char* fullName, const UrlError& error, const void* downloader)
{
    log(fullName, error);
    NotificationCenter::defaultCenter().post(QStringLiteral("RetryDMGDownloadig"), downloader);
}

void DownloadFailureReport::log(const char* fullName, const UrlError& error)
{
    Log::write("%s : Download failed! Error - %@ %@ ", fullName, Log::outsideText(error.localizedDescription),
               UrlText::forLog(error.failingUrlString));
    Log::write("%s : Download failed! Whole Error - %@", fullName, error.description());
}
