#pragma once

#include "Platform/Log/Result.h"
#include "Platform/Net/PartialFile.h"
#include "Platform/Net/UrlError.h"
#include "Platform/Net/UrlRequest.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

class CurlTransfer;
class UrlDownloadDelegate;

// The asynchronous file download: streams one HTTPS GET into a PartialFile beside the destination, driven by the
// main event loop, and reports to its delegate there, never while a synchronous request waits. The file replaces
// the destination only when the whole body has arrived with a 2xx status; on failure it is removed unless kept.
// Only https URLs, and redirects to https, are fetched. TLS trust is the process's (Tls).
class UrlDownload : public QObject
{
    Q_OBJECT

public:
    explicit UrlDownload(QObject* parent = nullptr);
    ~UrlDownload() override;

    // Starts the download of request now and reports to delegate from the event loop. Fails when a download was
    // made already (that one goes on undisturbed) or when none could be set up, which the delegate is told as well
    // and a later call may try again; a URL that cannot be fetched is reported through the failure callback only.
    Result<> initWithRequest(const UrlRequest& request, UrlDownloadDelegate* delegate);
    // Where the body goes; set it right after initWithRequest. Without allowOverwrite an existing file there
    // makes the download fail; a file that cannot be made beside it is reported as a failure. Does nothing when no
    // download was made.
    void setDestination(const QString& path, bool allowOverwrite);
    // Makes a download that failed once more, with its request, delegate and destination, resuming a kept part:
    // another attempt after a passing fault. Fails while it is under way, once it has succeeded, or before one was
    // made.
    Result<> retry();
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
    qint64 resumedFrom() const;
    // Refuses a file longer than length bytes (0: no bound): a declared length over it before any of the body is
    // written, a body that grows past it when it does; either fails as DataLengthExceedsMaximum and removes what
    // arrived, kept part included. Set before initWithRequest.
    void setMaximumLength(qint64 length);
    // The location that finally served the body, redirects followed; empty until the download has finished.
    QUrl effectiveUrl() const;

private:
    // Takes body bytes; false stops the transfer.
    bool receive(const char* data, size_t size);
    // Judges the response at its first body byte; false to abort the transfer.
    bool acceptResponse();
    void deliverProgress();
    void finishTransfer(int curlCode);
    void fail(const UrlError& error);
    void deliverBegin();
    // Keeps or removes the partial file, as set.
    void releaseFile();
    // Ends the transfer; from inside its own callbacks it goes once the event loop is back.
    void dropTransfer();

    UrlDownloadDelegate* m_delegate = nullptr;
    std::unique_ptr<UrlRequest> m_request;
    std::unique_ptr<CurlTransfer> m_transfer;
    QString m_failingUrl;
    PartialFile m_file;
    QString m_destination;
    bool m_allowOverwrite = false;
    bool m_keepsPartialFile = false;
    bool m_beginDelivered = false;
    bool m_ended = false;
    bool m_succeeded = false;
    long m_refusedStatus = 0;
    bool m_responseChecked = false;
    bool m_responseDelivered = false;
    bool m_restartWhole = false;
    bool m_restarted = false;
    qint64 m_expectedLength = -1;
    qint64 m_maximumLength = 0;
    bool m_tooLong = false;
    QUrl m_effectiveUrl;
    qint64 m_deliveredReceived = -1;
};
