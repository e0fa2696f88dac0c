#include "Platform/Net/UrlDownload.h"

#include "Platform/Net/CurlError.h"
#include "Platform/Net/Tls.h"
#include "Platform/Net/UrlConnection.h"
#include "Platform/Net/UrlDownloadDelegate.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <curl/curl.h>
#include <stdlib.h>

namespace {

// Larger reads than curl's default keep the event loop's share of the work small on fast links.
constexpr long receiveBufferBytes = 256L * 1024;
constexpr long maximumRedirects = 16;

DownloadError urlError(int code, const QString& description, const QString& url)
{
    return DownloadError{code, description, url, 0};
}

DownloadError errorForCurl(CURLcode code, const QString& url)
{
    const auto [number, description] = CurlError::urlError(code);
    return urlError(number, description, url);
}

} // namespace

struct UrlDownload::Transfer
{
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    QByteArray url;

    ~Transfer()
    {
        if (multi && easy) {
            curl_multi_remove_handle(multi, easy);
        }
        if (easy) {
            curl_easy_cleanup(easy);
        }
        if (multi) {
            curl_multi_cleanup(multi);
        }
        curl_slist_free_all(headers);
    }
};

UrlDownload::UrlDownload(QObject* parent) : QObject(parent) {}

UrlDownload::~UrlDownload()
{
    cancel();
}

bool UrlDownload::initWithRequest(const UrlRequest& request, UrlDownloadDelegate* delegate)
{
    if (m_request) {
        return false;
    }
    m_delegate = delegate;
    m_request = std::make_unique<UrlRequest>(request);
    m_beginDelivered = true;
    const std::optional<QUrl> url = request.url();
    const QString urlText = url ? QString::fromUtf8(url->toEncoded()) : QStringLiteral("(null)");
    // The plugin launches what it downloads: a location anyone on the path could answer for is not fetched.
    if (!url || !url->isValid() || url->scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0) {
        fail(urlError(-1002, QStringLiteral("unsupported URL"), urlText));
        return true;
    }

    auto transfer = std::make_unique<Transfer>();
    transfer->easy = Tls::newTransfer();
    transfer->multi = curl_multi_init();
    if (!transfer->multi || !transfer->easy) {
        m_request.reset();
        return false;
    }
    transfer->url = url->toEncoded();
    for (const auto& [field, value] : request.allHTTPHeaderFields()) {
        transfer->headers = curl_slist_append(transfer->headers, (field + QStringLiteral(": ") + value).toUtf8());
    }
    CURL* easy = transfer->easy;
    const long timeoutMs = static_cast<long>(request.timeoutInterval().count());
    curl_easy_setopt(easy, CURLOPT_URL, transfer->url.constData());
    if (request.httpMethod() != QLatin1String("GET")) {
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.httpMethod().toUtf8().constData());
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headers);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, maximumRedirects);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // The time-out is an idle time-out: a slow but moving download goes on.
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, std::max(1L, (timeoutMs + 999) / 1000));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, receiveBufferBytes);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &UrlDownload::writeCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);

    CURLM* multi = transfer->multi;
    curl_multi_setopt(multi, CURLMOPT_SOCKETFUNCTION, &UrlDownload::socketCallback);
    curl_multi_setopt(multi, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi, CURLMOPT_TIMERFUNCTION, &UrlDownload::timerCallback);
    curl_multi_setopt(multi, CURLMOPT_TIMERDATA, this);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] { socketAction(CURL_SOCKET_TIMEOUT, 0); });
    m_transfer = std::move(transfer);
    m_beginDelivered = false;
    UrlConnection::postOutsideWaits(this, [this] { deliverBegin(); });
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        m_transfer.reset();
        m_request.reset();
        return false;
    }
    return true;
}

void UrlDownload::setDestination(const QString& path, bool allowOverwrite)
{
    if (!m_request || m_ended) {
        return;
    }
    m_destination = path;
    m_allowOverwrite = allowOverwrite;
    removePartialFile();
    if (m_keepsPartialFile) {
        if (!openKeptPartialFile()) {
            m_setupError = std::make_unique<DownloadError>(
                urlError(-3000, QStringLiteral("cannot create file"), QString::fromUtf8(m_transfer->url)));
        }
        return;
    }
    // Beside the destination, so putting it in place is a rename on one file system.
    QByteArray partial = QFile::encodeName(path + QStringLiteral(".part-XXXXXX"));
    m_fd = ::mkstemp(partial.data());
    if (m_fd < 0) {
        m_setupError = std::make_unique<DownloadError>(
            urlError(-3000, QStringLiteral("cannot create file"), QString::fromUtf8(m_transfer->url)));
        return;
    }
    m_partialPath = QFile::decodeName(partial);
}

const UrlRequest* UrlDownload::request() const
{
    return m_request.get();
}

void UrlDownload::cancel()
{
    m_transfer.reset();
    m_ended = true;
    releasePartialFile();
}

void UrlDownload::setKeepsPartialFile(bool keeps)
{
    m_keepsPartialFile = keeps;
}

QString UrlDownload::partialPathFor(const QString& destination)
{
    return destination + QStringLiteral(".part");
}

bool UrlDownload::openKeptPartialFile()
{
    m_partialPath = partialPathFor(m_destination);
    // Not followed through a link: the file is written to, and the folder is the user's own.
    m_fd = ::open(QFile::encodeName(m_partialPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) {
        m_partialPath.clear();
        return false;
    }
    struct stat info
    {
    };
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode) || ::lseek(m_fd, info.st_size, SEEK_SET) < 0) {
        ::close(m_fd);
        m_fd = -1;
        m_partialPath.clear();
        return false;
    }
    m_offset = info.st_size;
    if (m_offset > 0 && m_transfer) {
        askForRest();
    }
    return true;
}

void UrlDownload::askForRest()
{
    // Options are set while the handle is out of the multi handle; nothing has been sent yet.
    curl_multi_remove_handle(m_transfer->multi, m_transfer->easy);
    const QByteArray range = QByteArray::number(m_offset) + '-';
    curl_easy_setopt(m_transfer->easy, CURLOPT_RANGE, range.constData());
    curl_multi_add_handle(m_transfer->multi, m_transfer->easy);
}

bool UrlDownload::acceptResponse()
{
    CURL* easy = m_transfer->easy;
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t length = -1;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (m_offset > 0 && status == 206) {
        // "bytes FIRST-LAST/TOTAL": the rest must start where the kept part ends.
        curl_header* header = nullptr;
        long long first = -1;
        long long last = -1;
        char total[32] = {};
        if (curl_easy_header(easy, "Content-Range", 0, CURLH_HEADER, -1, &header) != CURLHE_OK ||
            std::sscanf(header->value, "bytes %lld-%lld/%31s", &first, &last, total) != 3 || first != m_offset) {
            m_restartWhole = true;
            return false;
        }
        bool known = false;
        const qint64 whole = QByteArray(total).toLongLong(&known);
        m_expectedLength = known ? whole : (length >= 0 ? m_offset + length : -1);
    } else {
        if (m_offset > 0) {
            // The server sent the whole file: what was kept is replaced.
            if (::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0) {
                return false;
            }
            m_offset = 0;
        }
        m_expectedLength = length >= 0 ? static_cast<qint64>(length) : -1;
    }
    m_received = m_offset;
    m_responseChecked = true;
    return true;
}

bool UrlDownload::restartWhole()
{
    if (m_restarted || m_fd < 0 || ::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0) {
        return false;
    }
    m_restarted = true;
    m_restartWhole = false;
    m_responseChecked = false;
    m_responseDelivered = false;
    m_refusedStatus = 0;
    m_offset = 0;
    m_received = 0;
    m_deliveredReceived = -1;
    curl_multi_remove_handle(m_transfer->multi, m_transfer->easy);
    curl_easy_setopt(m_transfer->easy, CURLOPT_RANGE, nullptr);
    return curl_multi_add_handle(m_transfer->multi, m_transfer->easy) == CURLM_OK;
}

int UrlDownload::socketCallback(void* /*easy*/, int socket, int what, void* self, void* /*socketData*/)
{
    static_cast<UrlDownload*>(self)->watchSocket(socket, what);
    return 0;
}

int UrlDownload::timerCallback(void* /*multi*/, long timeoutMs, void* self)
{
    QTimer* timer = static_cast<UrlDownload*>(self)->m_timer;
    if (timeoutMs < 0) {
        timer->stop();
    } else {
        timer->start(static_cast<int>(std::min(timeoutMs, 24L * 3600 * 1000)));
    }
    return 0;
}

size_t UrlDownload::writeCallback(char* data, size_t size, size_t count, void* self)
{
    auto* download = static_cast<UrlDownload*>(self);
    long status = 0;
    curl_easy_getinfo(download->m_transfer->easy, CURLINFO_RESPONSE_CODE, &status);
    // An error page is not the file asked for; stop at its first byte.
    if (status < 200 || status > 299) {
        download->m_refusedStatus = status;
        return 0;
    }
    if (download->m_fd < 0 || (!download->m_responseChecked && !download->acceptResponse())) {
        return 0;
    }
    const size_t total = size * count;
    for (size_t done = 0; done < total;) {
        const ssize_t put = ::write(download->m_fd, data + done, total - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return 0;
        }
        done += static_cast<size_t>(put);
    }
    download->m_received += static_cast<qint64>(total);
    return total;
}

void UrlDownload::watchSocket(int socket, int what)
{
    if (what == CURL_POLL_REMOVE) {
        const auto it = m_notifiers.find(socket);
        if (it != m_notifiers.end()) {
            // Possibly inside one of their own signals: disabled now, deleted once the event loop is back.
            for (QSocketNotifier* notifier : {it->second.first, it->second.second}) {
                notifier->setEnabled(false);
                notifier->deleteLater();
            }
            m_notifiers.erase(it);
        }
        return;
    }
    auto it = m_notifiers.find(socket);
    if (it == m_notifiers.end()) {
        auto* read = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        auto* write = new QSocketNotifier(socket, QSocketNotifier::Write, this);
        connect(read, &QSocketNotifier::activated, this, [this, socket] { socketAction(socket, CURL_CSELECT_IN); });
        connect(write, &QSocketNotifier::activated, this, [this, socket] { socketAction(socket, CURL_CSELECT_OUT); });
        it = m_notifiers.emplace(socket, std::make_pair(read, write)).first;
    }
    it->second.first->setEnabled(what == CURL_POLL_IN || what == CURL_POLL_INOUT);
    it->second.second->setEnabled(what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
}

void UrlDownload::socketAction(int socket, int events)
{
    if (!m_transfer) {
        return;
    }
    if (m_setupError) {
        fail(*m_setupError);
        return;
    }
    int running = 0;
    curl_multi_socket_action(m_transfer->multi, socket, events, &running);
    deliverProgress();
    checkDone();
}

void UrlDownload::checkDone()
{
    int queued = 0;
    while (m_transfer) {
        CURLMsg* message = curl_multi_info_read(m_transfer->multi, &queued);
        if (!message) {
            return;
        }
        if (message->msg == CURLMSG_DONE) {
            finishTransfer(message->data.result);
        }
    }
}

void UrlDownload::finishTransfer(int curlCode)
{
    const auto code = static_cast<CURLcode>(curlCode);
    long status = 0;
    curl_easy_getinfo(m_transfer->easy, CURLINFO_RESPONSE_CODE, &status);
    // A rest that does not fit what was kept, or a kept part the server finds too long, is fetched whole once.
    if ((m_restartWhole || (m_offset > 0 && status == 416)) && restartWhole()) {
        return;
    }
    const QString url = QString::fromUtf8(m_transfer->url);
    const bool noDestination = m_fd < 0;
    m_transfer.reset();
    m_timer->stop();

    if (m_refusedStatus != 0 || (code == CURLE_OK && (status < 200 || status > 299))) {
        const long reported = m_refusedStatus != 0 ? m_refusedStatus : status;
        DownloadError error =
            urlError(-1011, QStringLiteral("The server answered with HTTP status %1.").arg(reported), url);
        error.httpStatus = reported;
        fail(error);
        return;
    }
    if (code == CURLE_WRITE_ERROR || (code == CURLE_OK && noDestination)) {
        fail(urlError(noDestination ? -3000 : -3003,
                      noDestination ? QStringLiteral("cannot create file") : QStringLiteral("cannot write file"), url));
        return;
    }
    if (code != CURLE_OK) {
        fail(errorForCurl(code, url));
        return;
    }
    const int fd = m_fd;
    m_fd = -1;
    const QByteArray partial = QFile::encodeName(m_partialPath);
    const QByteArray destination = QFile::encodeName(m_destination);
    bool placed = ::close(fd) == 0;
    if (placed) {
        // link() refuses to replace an existing file, which is what no overwrite asks for.
        placed = m_allowOverwrite ? ::rename(partial.constData(), destination.constData()) == 0
                                  : ::link(partial.constData(), destination.constData()) == 0;
    }
    if (!placed) {
        fail(urlError(-3005, QStringLiteral("cannot move file"), url));
        return;
    }
    if (!m_allowOverwrite) {
        ::unlink(partial.constData());
    }
    m_partialPath.clear();
    m_ended = true;
    UrlConnection::postOutsideWaits(this, [this] {
        deliverBegin();
        if (m_delegate) {
            m_delegate->downloadDidFinish(this);
        }
    });
}

void UrlDownload::fail(const DownloadError& error)
{
    m_transfer.reset();
    m_ended = true;
    releasePartialFile();
    UrlConnection::postOutsideWaits(this, [this, error] {
        deliverBegin();
        if (m_delegate) {
            m_delegate->downloadDidFail(this, error);
        }
    });
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
    if (m_received != m_deliveredReceived) {
        m_deliveredReceived = m_received;
        m_delegate->downloadDidReceiveData(this, m_received);
    }
}

void UrlDownload::releasePartialFile()
{
    if (!m_keepsPartialFile || m_fd < 0) {
        removePartialFile();
        return;
    }
    struct stat info
    {
    };
    const bool empty = ::fstat(m_fd, &info) == 0 && info.st_size == 0;
    ::close(m_fd);
    m_fd = -1;
    if (empty) {
        ::unlink(QFile::encodeName(m_partialPath).constData());
    }
    m_partialPath.clear();
}

void UrlDownload::removePartialFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_partialPath.isEmpty()) {
        ::unlink(QFile::encodeName(m_partialPath).constData());
        m_partialPath.clear();
    }
}
