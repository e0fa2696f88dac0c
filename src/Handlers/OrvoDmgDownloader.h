#pragma once

#include "Platform/UrlDownload.h"
#include "Platform/UrlDownloadDelegate.h"

#include <QStringList>

// The agent downloader: its own download and delegate. Fetches "OrvoMac.dmg" into the agent folder, then attaches
// it with the disk-image tool, installs and launches "Orvo.app", copies the companion tools, deletes the image,
// detaches it and closes the progress window.
class OrvoDmgDownloader : public UrlDownload, public UrlDownloadDelegate
{
    Q_OBJECT

public:
    OrvoDmgDownloader();

    // Chooses the URL (the content network's, else the service's), builds the request and starts the download.
    void startDownLoadingOrvoMacDmg();
    void downloadDidBegin(UrlDownload* download) override;
    void downloadDidFail(UrlDownload* download, const DownloadError& error) override;
    void downloadDidFinish(UrlDownload* download) override;
    void downloadDidReceiveResponse(UrlDownload* download, qint64 expectedLength) override;
    void downloadDidReceiveData(UrlDownload* download, qint64 bytesReceived) override;
    // What the progress window tells the customer about the last failed download.
    QString failureMessage() const;

    // Attaches the image; installs and launches the agent unless one is already in the agent folder. A failed
    // attach and an agent in the way are shown with Retry, which runs this again.
    void mountingOrvoMacDmg();
    // Copies and launches the agent, copies its tools, deletes and detaches the image; false when the agent did not
    // start, which leaves the image attached and the window offering Retry (this again).
    bool copyAppFileAndLaunch();
    void unMountingOrvoMacDmg();
    // Launches the application bundle at path with the agent's launch arguments; YES once it has started.
    bool workspaceLaunchApplication(const QString& path);

    // "-timestamps" and the fixed JSON text, the agent's two launch arguments.
    static QStringList agentLaunchArguments();
    // Runs "/usr/bin/hdiutil" with arguments, waiting for it while the event loop runs; its exit status. A tool
    // still running after 2 minutes (ORVO_HDIUTIL_TIMEOUT_MS overrides) is stopped and its signal returned.
    // Throws PlatformException when the tool cannot be started.
    static int runHdiutil(const QStringList& arguments);
    // Removes the part of the image a failed download kept for resuming, when there is one.
    static void removePartialImage();
    // What both disk-image downloaders do on a failed download: the two failure lines under fullName, then
    // "RetryDMGDownloadig" with downloader as the notification's object.
    static void reportDownloadFailure(const char* fullName, const DownloadError& error, const void* downloader);
    // The customer's words for a failed download: what happened and what to do.
    static QString messageForError(const DownloadError& error);

private:
    QString m_failureMessage;
    qint64 m_expectedLength = -1;
};
