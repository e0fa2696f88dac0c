#pragma once

#include "Platform/Log/Result.h"
#include "Platform/Net/UrlDownload.h"
#include "Platform/Net/UrlDownloadDelegate.h"

class AutomaticRetry;

// The plugin updater: its own download and delegate. Fetches "OrvoPlugin.dmg" into the staging folder in the
// background, attaches it, stages the new "Orvo Wendra Customer Plugin.app" there, detaches and deletes the image,
// and raises the session record's replace flag for the replacement at exit. Reports only through the log.
class OrvoPluginUpdater : public UrlDownload, public UrlDownloadDelegate
{
    Q_OBJECT

public:
    // The single updater the plugin uses, created on first use. It downloads at most once.
    static OrvoPluginUpdater* getInstance();
    // A plain updater, its image 1 GiB at the most; the plugin itself only uses getInstance.
    OrvoPluginUpdater();

    // Downloads when the session record says a newer plugin exists; otherwise logs that this one is current.
    void checkOrvoPluginUpdate();
    // Prepares the staging folder, chooses the URL (the service's answer, else the service's own location) and
    // starts the download.
    void downloadorvoPlugindmg();
    void downloadDidBegin(UrlDownload* download) override;
    void downloadDidFail(UrlDownload* download, const UrlError& error) override;
    void downloadDidFinish(UrlDownload* download) override;

    // Attaches the downloaded image, after detaching a volume an earlier run left at its mount point, then stages its
    // bundle; stages nothing, and deletes the image, when the image's own volume cannot be attached.
    void mountingOrvoPluginDmg();
    // Replaces the staged bundle with the image's and sets the replace flag, when the image's bundle verifies and is
    // newer than the running plugin; detaches and deletes the image.
    void copyAppFile();
    void unMountingOrvoPluginDmg();

    // Stops the download under way, if any, without reporting it, and removes its temporary file.
    static void cancelRunningDownload();

    // Succeeds when the bundle may be staged: it verifies and its version is newer than the running plugin's.
    // Otherwise says why not, in one line.
    static Result<> verifyForStaging(const QString& bundle);

private:
    void removeImage();
    // The quiet attempts after a passing fault; a child, so it goes with the updater.
    AutomaticRetry* m_retry = nullptr;
};
