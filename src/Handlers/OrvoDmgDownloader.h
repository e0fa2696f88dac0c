#pragma once

#include "Handlers/TranslatedText.h"
#include "Platform/Net/UrlDownload.h"
#include "Platform/Net/UrlDownloadDelegate.h"

#include <QStringList>

// The agent downloader: its own download and delegate. Fetches "OrvoMac.dmg" into the agent folder, then attaches
// it with the disk-image tool, installs "Orvo.app" with its companion tools and launches it, deletes the image,
// detaches it and closes the progress window.
class OrvoDmgDownloader : public UrlDownload, public UrlDownloadDelegate
{
    Q_OBJECT

public:
    // A downloader whose image may be 4 GiB at the most.
    OrvoDmgDownloader();

    // Chooses the URL (the content network's, else the service's; with fromFallback the agent check's fallback
    // location), builds the request and starts the download.
    void startDownLoadingOrvoMacDmg(bool fromFallback = false);
    void downloadDidBegin(UrlDownload* download) override;
    void downloadDidFail(UrlDownload* download, const UrlError& error) override;
    void downloadDidFinish(UrlDownload* download) override;
    void downloadDidReceiveResponse(UrlDownload* download, qint64 expectedLength) override;
    void downloadDidReceiveData(UrlDownload* download, qint64 bytesReceived) override;
    // What the progress window tells the customer about the last failed download.
    TranslatedText failureMessage() const;

    // Attaches the image, after detaching a volume an earlier run left at its mount point; installs and launches the
    // agent. True when the agent was launched. A volume that cannot be cleared or an image that cannot be attached
    // drops the image and offers Retry, which fetches it anew.
    bool mountingOrvoMacDmg();
    // Installs "Orvo.app" and its four companion tools from the volume together, once the agent verifies, is named
    // "com.orvo.wendra.agent", is not older than the installed one, and every tool matches it; launches it, deletes
    // the image, detaches it and closes the progress window. True when the agent was launched. A refused or failed
    // install changes nothing installed, drops the image and offers Retry, which fetches it anew; an old agent that
    // cannot be exchanged keeps the image and Retry attaches it again; an agent that does not start leaves the image
    // attached and Retry launches it again.
    bool copyAppFileAndLaunch();
    void unMountingOrvoMacDmg();
    // Launches the application bundle at path with the agent's launch arguments; YES once it has started.
    bool workspaceLaunchApplication(const QString& path);

    // "-timestamps" and the fixed JSON text, the agent's two launch arguments.
    static QStringList agentLaunchArguments();
    // Removes the part of the image a failed download kept for resuming, when there is one.
    static void removePartialImage();
    // What the customer is told when a proxy, named by host and port, refused the connection for want of valid
    // credentials.
    static TranslatedText proxyRefusedMessage(const QString& proxy);
    // The customer's words for a failed download: what happened and what to do.
    static TranslatedText messageForError(const UrlError& error);

private:
    // The launch of the installed agent and the rest of copyAppFileAndLaunch after it.
    bool launchAndFinish();
    // The end of an install that found nothing to install from: the image is deleted and the window offers Retry,
    // which fetches it anew.
    void endWithoutInstall(const TranslatedText& message);
    // Deletes the downloaded image, when there is one.
    static void removeImage();

    TranslatedText m_failureMessage;
    qint64 m_expectedLength = -1;
};
