#include "Platform/Net/UrlDownload.h"

#include "Platform/Net/CurlError.h"
#include "Platform/Net/CurlTransfer.h"
#include "Platform/Net/UrlConnection.h"
#include "Platform/Net/UrlDownloadDelegate.h"

#include <algorithm>
#include <cstdio>

namespace {

// Larger reads than curl's default keep the event loop's share of the work small on fast links.
constexpr long receiveBufferBytes = 256L * 1024;

UrlError urlError(UrlErrorCode code, const QString& description, const QString& url)
{
    return UrlError{code, description, url, 0, {}, {}};
}

// What tells this body from any later one at the same location: a strong entity tag, else the modification date.
// A weak tag does not promise the same bytes, so a range of it could join two files.
QByteArray responseValidator(CURL* easy)
{
    curl_header* header = nullptr;
    if (curl_easy_header(easy, "ETag", 0, CURLH_HEADER, -1, &header) == CURLHE_OK &&
        !QByteArray(header->value).startsWith("W/")) {
        return QByteArray(header->value).trimmed();
    }
    // A date is strong only when it lies at least a second before the reply's own date (RFC 9110, 8.8.2.2).
    if (curl_easy_header(easy, "Last-Modified", 0, CURLH_HEADER, -1, &header) != CURLHE_OK) {
        return QByteArray();
    }
    const QByteArray modified = QByteArray(header->value).trimmed();
    const time_t modifiedAt = curl_getdate(modified.constData(), nullptr);
    if (curl_easy_header(easy, "Date", 0, CURLH_HEADER, -1, &header) != CURLHE_OK || modifiedAt < 0 ||
        curl_getdate(header->value, nullptr) - modifiedAt < 1) {
        return QByteArray();
    }
    return modified;
}

} // namespace

UrlDownload::UrlDownload(QObject* parent) : QObject(parent) {}

UrlDownload::~UrlDownload()
{
    cancel();
}

Result<> UrlDownload::initWithRequest(const UrlRequest& request, UrlDownloadDelegate* delegate)
{
    if (m_request) {
        return Failure{QStringLiteral("a download was made already")};
    }
    // Another attempt after one that failed starts from a clean state; its file is set anew by setDestination.
    m_file.remove();
    m_succeeded = false;
    m_refusedStatus = 0;
    m_responseChecked = false;
    m_responseDelivered = false;
    m_restartWhole = false;
    m_restarted = false;
    m_expectedLength = -1;
    m_tooLong = false;
    m_effectiveUrl = QUrl();
    m_deliveredReceived = -1;
    m_delegate = delegate;
    m_request = std::make_unique<UrlRequest>(request);
    m_ended = false;
    m_beginDelivered = true;
    const std::optional<QUrl> url = request.url();
    m_failingUrl = url ? QString::fromUtf8(url->toEncoded()) : QStringLiteral("(null)");
    if (!CurlTransfer::fetches(url)) {
        fail(urlError(UrlErrorCode::UnsupportedUrl, QStringLiteral("unsupported URL"), m_failingUrl));
        return {};
    }

    // The time-out is an idle time-out: a slow but moving download goes on.
    const auto timeout = request.timeoutInterval();
    CurlTransfer::Limits limits;
    limits.connect = timeout;
    limits.stalled = std::max(std::chrono::seconds(1), std::chrono::ceil<std::chrono::seconds>(timeout));
    limits.receiveBuffer = receiveBufferBytes;
    limits.maximumSize = m_maximumLength;
    Result<std::unique_ptr<CurlTransfer>> made = CurlTransfer::make(*url, limits);
    Result<> ready = made ? Result<>() : Result<>(Failure{made.error()});
    if (made) {
        m_transfer = std::move(made).value();
        ready = m_transfer->setMethod(request.httpMethod());
    }
    if (ready) {
        ready = m_transfer->setHeaders(request.allHTTPHeaderFields());
    }
    if (ready) {
        m_transfer->onBody([this](const char* data, size_t size) { return receive(data, size); });
        m_transfer->onStep([this] { deliverProgress(); });
        m_transfer->onDone([this](CURLcode result) { finishTransfer(result); });
        m_beginDelivered = false;
        UrlConnection::postOutsideWaits(this, [this] { deliverBegin(); });
        ready = m_transfer->start();
    }
    if (!ready) {
        fail(urlError(UrlErrorCode::Unknown, QStringLiteral("unknown error"), m_failingUrl));
        // Nothing was made, so a later call may try again.
        m_request.reset();
        return ready;
    }
    return {};
}

void UrlDownload::setDestination(const QString& path, bool allowOverwrite)
{
    if (!m_request || m_ended) {
        return;
    }
    m_destination = path;
    m_allowOverwrite = allowOverwrite;
    m_file.remove();
    Result<PartialFile> opened = m_keepsPartialFile ? PartialFile::openKept(path) : PartialFile::openTemporary(path);
    if (!opened) {
        fail(urlError(UrlErrorCode::CannotCreateFile, QStringLiteral("cannot create file"), m_failingUrl));
        return;
    }
    m_file = std::move(opened).value();
    // A part that cannot say which body it is the start of could join two different files: it is fetched anew.
    if (m_file.keptLength() > 0 && m_file.validator().isEmpty() && !m_file.restartWhole()) {
        fail(urlError(UrlErrorCode::CannotWriteToFile, QStringLiteral("cannot write file"), m_failingUrl));
        return;
    }
    if (m_file.keptLength() > 0 && m_transfer) {
        if (Result<> asked = m_transfer->requestFrom(m_file.keptLength(), m_file.validator()); !asked) {
            fail(urlError(UrlErrorCode::Unknown, QStringLiteral("unknown error"), m_failingUrl));
        }
    }
}

Result<> UrlDownload::retry()
{
    if (!m_request || !m_ended || m_succeeded) {
        return Failure{QStringLiteral("only a download that failed is made again")};
    }
    const UrlRequest request = *m_request;
    m_request.reset();
    if (Result<> made = initWithRequest(request, m_delegate); !made) {
        return made;
    }
    setDestination(m_destination, m_allowOverwrite);
    return {};
}

const UrlRequest* UrlDownload::request() const
{
    return m_request.get();
}

void UrlDownload::cancel()
{
    m_transfer.reset();
    m_ended = true;
    releaseFile();
}

void UrlDownload::setKeepsPartialFile(bool keeps)
{
    m_keepsPartialFile = keeps;
}

QString UrlDownload::partialPathFor(const QString& destination)
{
    return PartialFile::pathFor(destination);
}

qint64 UrlDownload::resumedFrom() const
{
    return m_file.keptLength();
}

void UrlDownload::setMaximumLength(qint64 length)
{
    m_maximumLength = length;
}

QUrl UrlDownload::effectiveUrl() const
{
    return m_effectiveUrl;
}

bool UrlDownload::receive(const char* data, size_t size)
{
    const long status = m_transfer->status();
    // An error page is not the file asked for; stop at its first byte.
    if (status < 200 || status > 299) {
        m_refusedStatus = status;
        return false;
    }
    if (!m_file.isOpen() || (!m_responseChecked && !acceptResponse())) {
        return false;
    }
    if (m_maximumLength > 0 && m_file.length() + static_cast<qint64>(size) > m_maximumLength) {
        m_tooLong = true;
        return false;
    }
    return m_file.append(data, static_cast<qint64>(size)).ok();
}

bool UrlDownload::acceptResponse()
{
    CURL* easy = m_transfer->handle();
    const long status = m_transfer->status();
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) {
        length = -1;
    }
    const qint64 kept = m_file.keptLength();
    if (kept > 0 && status == 206) {
        // "bytes FIRST-LAST/TOTAL": the rest must start where the kept part ends.
        curl_header* header = nullptr;
        long long first = -1;
        long long last = -1;
        char total[32] = {};
        if (curl_easy_header(easy, "Content-Range", 0, CURLH_HEADER, -1, &header) != CURLHE_OK ||
            std::sscanf(header->value, "bytes %lld-%lld/%31s", &first, &last, total) != 3 || first != kept) {
            m_restartWhole = true;
            return false;
        }
        bool known = false;
        const qint64 whole = QByteArray(total).toLongLong(&known);
        m_expectedLength = known ? whole : (length >= 0 ? kept + length : -1);
    } else {
        // The server sent the whole file: what was kept is replaced.
        if (kept > 0 && !m_file.restartWhole()) {
            return false;
        }
        m_expectedLength = length >= 0 ? static_cast<qint64>(length) : -1;
        // Without a validator the part is not resumed later but fetched anew, which is only slower.
        static_cast<void>(m_file.setValidator(responseValidator(easy)));
    }
    // libcurl judges the declared length alone; a resumed whole is judged here.
    if (m_maximumLength > 0 && m_expectedLength > m_maximumLength) {
        m_tooLong = true;
        return false;
    }
    m_responseChecked = true;
    return true;
}

void UrlDownload::finishTransfer(int curlCode)
{
    const auto code = static_cast<CURLcode>(curlCode);
    const long status = m_transfer->status();
    // A rest that does not fit what was kept, or a kept part the server finds too long, is fetched whole once.
    if ((m_restartWhole || (m_file.keptLength() > 0 && status == 416)) && !m_restarted && m_file.isOpen() &&
        m_file.restartWhole()) {
        m_restarted = true;
        m_restartWhole = false;
        m_responseChecked = false;
        m_responseDelivered = false;
        m_refusedStatus = 0;
        m_deliveredReceived = -1;
        if (m_transfer->requestFrom(0)) {
            return;
        }
    }
    const bool noDestination = !m_file.isOpen();
    char* effective = nullptr;
    const QUrl servedBy =
        curl_easy_getinfo(m_transfer->handle(), CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective
            ? QUrl::fromEncoded(QByteArray(effective), QUrl::StrictMode)
            : QUrl();
    const std::optional<std::chrono::seconds> retryAfter = m_transfer->retryAfter();
    const QString refusingProxy = m_transfer->refusingProxy();
    dropTransfer();

    if (m_tooLong || code == CURLE_FILESIZE_EXCEEDED) {
        m_tooLong = true;
        fail(CurlError::urlError(CURLE_FILESIZE_EXCEEDED, m_failingUrl));
        return;
    }

    if (m_refusedStatus != 0 || (code == CURLE_OK && (status < 200 || status > 299))) {
        const long reported = m_refusedStatus != 0 ? m_refusedStatus : status;
        UrlError error =
            urlError(UrlErrorCode::BadServerResponse,
                     QStringLiteral("The server answered with HTTP status %1.").arg(reported), m_failingUrl);
        error.httpStatus = reported;
        error.retryAfter = retryAfter;
        fail(error);
        return;
    }
    if (code == CURLE_WRITE_ERROR || (code == CURLE_OK && noDestination)) {
        fail(noDestination
                 ? urlError(UrlErrorCode::CannotCreateFile, QStringLiteral("cannot create file"), m_failingUrl)
                 : urlError(UrlErrorCode::CannotWriteToFile, QStringLiteral("cannot write file"), m_failingUrl));
        return;
    }
    if (code != CURLE_OK) {
        UrlError error = CurlError::urlError(code, m_failingUrl);
        error.refusingProxy = refusingProxy;
        fail(error);
        return;
    }
    if (!m_file.placeAt(m_destination, m_allowOverwrite)) {
        fail(urlError(UrlErrorCode::CannotMoveFile, QStringLiteral("cannot move file"), m_failingUrl));
        return;
    }
    m_ended = true;
    m_succeeded = true;
    m_effectiveUrl = servedBy;
    UrlConnection::postOutsideWaits(this, [this] {
        deliverBegin();
        if (m_delegate) {
            m_delegate->downloadDidFinish(this);
        }
    });
}

void UrlDownload::fail(const UrlError& error)
{
    dropTransfer();
    m_ended = true;
    releaseFile();
    UrlConnection::postOutsideWaits(this, [this, error] {
        deliverBegin();
        if (m_delegate) {
            m_delegate->downloadDidFail(this, error);
        }
    });
}

void UrlDownload::releaseFile()
{
    // What a flooding or lying server sent is not worth resuming.
    if (m_keepsPartialFile && !m_tooLong) {
        m_file.keep();
    } else {
        m_file.remove();
    }
}

void UrlDownload::dropTransfer()
{
    if (m_transfer) {
        // Nothing it still has queued reaches this download.
        m_transfer->onBody({});
        m_transfer->onStep({});
        m_transfer->onDone({});
        m_transfer.release()->deleteLater();
    }
}

void UrlDownload::deliverBegin()
{
    if (m_beginDelivered) {
        return;
    }
    m_beginDelivered = true;
    if (m_delegate) {
        m_delegate->downloadDidBegin(this);
    }
}

void UrlDownload::deliverProgress()
{
    // Held back while a synchronous request waits, as the other callbacks are; the next report catches up.
    if (!m_responseChecked || !m_delegate || UrlConnection::isWaiting()) {
        return;
    }
    deliverBegin();
    if (!m_responseDelivered) {
        m_responseDelivered = true;
        m_delegate->downloadDidReceiveResponse(this, m_expectedLength);
    }
    if (m_file.length() != m_deliveredReceived) {
        m_deliveredReceived = m_file.length();
        m_delegate->downloadDidReceiveData(this, m_file.length());
    }
}
