#pragma once

#include "Platform/Net/DownloadError.h"
#include "Platform/Net/UrlRequest.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QSocketNotifier;
class QTimer;
class UrlDownloadDelegate;

// The asynchronous file download: streams one HTTPS GET to a file, driven by the main event loop, and reports to
// its delegate there, never while a synchronous request waits. The body goes to a temporary file beside the destination
// that replaces the destination only when the whole body has arrived with a 2xx status; on failure the partial file is
// removed. Only https URLs, and redirects to https, are fetched. TLS trust is the process's (Tls).
class UrlDownload : public QObject
{
    Q_OBJECT

public:
    explicit UrlDownload(QObject* parent = nullptr);
    ~UrlDownload() override;

    // Starts the download of request now and reports to delegate from the event loop. False when no download
    // could be made; a URL that cannot be fetched is reported through the failure callback instead.
    bool initWithRequest(const UrlRequest& request, UrlDownloadDelegate* delegate);
    // Where the body goes; set it right after initWithRequest. Without allowOverwrite an existing file there
    // makes the download fail. Does nothing when no download was made.
    void setDestination(const QString& path, bool allowOverwrite);
    // The request the download was made with, when one was.
    const UrlRequest* request() const;
    // Stops a running download without reporting; the partial file is removed unless it is kept.
    void cancel();
    // Keeps what has arrived when the download fails or is stopped, at partialPathFor(destination), and resumes
    // from a file found there with a Range request: on 206 the rest is appended, on 200 the file starts over.
    // Set before setDestination.
    void setKeepsPartialFile(bool keeps);
    // Where a download that keeps its partial file holds it.
    static QString partialPathFor(const QString& destination);
    // The length of the kept part the download resumed from; 0 for a whole download.
    qint64 resumedFrom() const { return m_offset; }

private:
    struct Transfer;

    static int socketCallback(void* easy, int socket, int what, void* self, void* socketData);
    static int timerCallback(void* multi, long timeoutMs, void* self);
    static size_t writeCallback(char* data, size_t size, size_t count, void* self);

    // Judges the response at its first body byte; false to abort the transfer.
    bool acceptResponse();
    bool openKeptPartialFile();
    void askForRest();
    bool restartWhole();
    void deliverProgress();
    void watchSocket(int socket, int what);
    void socketAction(int socket, int events);
    void checkDone();
    void finishTransfer(int curlCode);
    void fail(const DownloadError& error);
    void deliverBegin();
    void removePartialFile();
    void releasePartialFile();

    UrlDownloadDelegate* m_delegate = nullptr;
    std::unique_ptr<UrlRequest> m_request;
    std::unique_ptr<Transfer> m_transfer;
    QTimer* m_timer = nullptr;
    std::map<int, std::pair<QSocketNotifier*, QSocketNotifier*>> m_notifiers;
    QString m_destination;
    QString m_partialPath;
    int m_fd = -1;
    bool m_allowOverwrite = false;
    bool m_beginDelivered = false;
    bool m_ended = false;
    long m_refusedStatus = 0;
    bool m_keepsPartialFile = false;
    // Where the kept part ended: the start of the requested rest.
    qint64 m_offset = 0;
    bool m_responseChecked = false;
    bool m_responseDelivered = false;
    bool m_restartWhole = false;
    bool m_restarted = false;
    qint64 m_expectedLength = -1;
    qint64 m_received = 0;
    qint64 m_deliveredReceived = -1;
    std::unique_ptr<DownloadError> m_setupError;
};
