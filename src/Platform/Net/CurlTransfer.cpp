#include "Platform/Net/CurlTransfer.h"

#include "Platform/Net/Tls.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

namespace {

// The longest wait libcurl's timer is given at once; it asks again when that comes.
constexpr long longestTimerMs = 24L * 3600 * 1000;

template <typename Value> bool set(CURL* easy, CURLoption option, Value value)
{
    return curl_easy_setopt(easy, option, value) == CURLE_OK;
}

Failure refused(const char* what)
{
    return Failure{QStringLiteral("libcurl refused %1").arg(QLatin1String(what))};
}

// Gives easy the request header lines in place of those in list, which it then holds.
Result<> installHeaders(curl_slist*& list, CURL* easy, const QList<QByteArray>& lines)
{
    curl_slist* made = nullptr;
    for (const QByteArray& line : lines) {
        curl_slist* appended = curl_slist_append(made, line.constData());
        if (!appended) {
            curl_slist_free_all(made);
            return Failure{QStringLiteral("libcurl could not hold the request headers")};
        }
        made = appended;
    }
    if (curl_easy_setopt(easy, CURLOPT_HTTPHEADER, made) != CURLE_OK) {
        curl_slist_free_all(made);
        return Failure{QStringLiteral("libcurl refused the request headers")};
    }
    curl_slist_free_all(list);
    list = made;
    return {};
}

} // namespace

CurlTransfer::CurlTransfer() : m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
}

CurlTransfer::~CurlTransfer()
{
    if (m_multi && m_easy && m_added) {
        // Best effort: the handles are freed next whatever it says.
        static_cast<void>(curl_multi_remove_handle(m_multi, m_easy));
    }
    if (m_easy) {
        curl_easy_cleanup(m_easy);
    }
    if (m_multi) {
        static_cast<void>(curl_multi_cleanup(m_multi));
    }
    curl_slist_free_all(m_headers);
}

bool CurlTransfer::fetches(const std::optional<QUrl>& url)
{
    return url && url->isValid() && url->scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
}

Result<std::unique_ptr<CurlTransfer>> CurlTransfer::make(const QUrl& url, const Limits& limits)
{
    static const CURLcode curlReady = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (curlReady != CURLE_OK) {
        return Failure{
            QStringLiteral("libcurl could not start: %1").arg(QString::fromUtf8(curl_easy_strerror(curlReady)))};
    }
    std::unique_ptr<CurlTransfer> transfer(new CurlTransfer);
    transfer->m_easy = curl_easy_init();
    transfer->m_multi = curl_multi_init();
    if (!transfer->m_easy || !transfer->m_multi) {
        return Failure{QStringLiteral("libcurl could not make a transfer")};
    }
    if (Result<> shared = transfer->setShared(url, limits); !shared) {
        return Failure{shared.error()};
    }
    return transfer;
}

Result<> CurlTransfer::setShared(const QUrl& url, const Limits& limits)
{
    CURL* easy = m_easy;
    m_url = url.toEncoded();
    if (!set(easy, CURLOPT_URL, m_url.constData())) {
        // A location libcurl cannot take is the transfer's own failure, reported as any other.
        m_refusal = CURLE_URL_MALFORMAT;
    }
    // A location anyone on the path could answer for is not fetched, nor redirected to.
    if (!set(easy, CURLOPT_PROTOCOLS_STR, "https") || !set(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https") ||
        !set(easy, CURLOPT_FOLLOWLOCATION, 1L) || !set(easy, CURLOPT_MAXREDIRS, maximumRedirects) ||
        !set(easy, CURLOPT_NOSIGNAL, 1L)) {
        return refused("https only");
    }
    if (Result<> trusted = Tls::trust(easy); !trusted) {
        return trusted;
    }
    bool bounded = set(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
    if (limits.total.count() > 0) {
        bounded = bounded && set(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.total.count()));
    }
    if (limits.stalled.count() > 0) {
        bounded = bounded && set(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) &&
                  set(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.stalled.count()));
    }
    if (limits.maximumSize > 0) {
        bounded = bounded && set(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maximumSize));
    }
    if (limits.receiveBuffer > 0) {
        bounded = bounded && set(easy, CURLOPT_BUFFERSIZE, limits.receiveBuffer);
    }
    if (!bounded) {
        return refused("the time-outs");
    }
    if (!set(easy, CURLOPT_WRITEFUNCTION, &CurlTransfer::writeCallback) || !set(easy, CURLOPT_WRITEDATA, this)) {
        return refused("the body's handler");
    }
    if (curl_multi_setopt(m_multi, CURLMOPT_SOCKETFUNCTION, &CurlTransfer::socketCallback) != CURLM_OK ||
        curl_multi_setopt(m_multi, CURLMOPT_SOCKETDATA, this) != CURLM_OK ||
        curl_multi_setopt(m_multi, CURLMOPT_TIMERFUNCTION, &CurlTransfer::timerCallback) != CURLM_OK ||
        curl_multi_setopt(m_multi, CURLMOPT_TIMERDATA, this) != CURLM_OK) {
        return refused("the event loop's handlers");
    }
    return {};
}

CURL* CurlTransfer::handle() const
{
    return m_easy;
}

void CurlTransfer::onBody(BodyHandler handler)
{
    m_onBody = std::move(handler);
}

void CurlTransfer::onActivity(std::function<void()> handler)
{
    m_onActivity = std::move(handler);
}

void CurlTransfer::onStep(std::function<void()> handler)
{
    m_onStep = std::move(handler);
}

void CurlTransfer::onDone(DoneHandler handler)
{
    m_onDone = std::move(handler);
}

Result<> CurlTransfer::setHeaders(const QList<QPair<QString, QString>>& headers)
{
    m_headerLines.clear();
    for (const auto& [field, value] : headers) {
        m_headerLines.append((field + QStringLiteral(": ") + value).toUtf8());
    }
    return installHeaders(m_headers, m_easy, m_headerLines);
}

Result<> CurlTransfer::setMethod(const QString& method)
{
    if (method != QLatin1String("GET") && !set(m_easy, CURLOPT_CUSTOMREQUEST, method.toUtf8().constData())) {
        return refused("the request method");
    }
    return {};
}

Result<> CurlTransfer::requestFrom(qint64 offset, const QByteArray& condition)
{
    // Options are set while the handle is out of the multi handle.
    const bool wasAdded = m_added;
    if (wasAdded && curl_multi_remove_handle(m_multi, m_easy) != CURLM_OK) {
        return Failure{QStringLiteral("libcurl could not stop the transfer")};
    }
    m_added = false;
    m_range = offset > 0 ? QByteArray::number(offset) + '-' : QByteArray();
    if (!set(m_easy, CURLOPT_RANGE, m_range.isEmpty() ? nullptr : m_range.constData())) {
        return refused("the range");
    }
    QList<QByteArray> lines = m_headerLines;
    if (offset > 0 && !condition.isEmpty()) {
        lines.append("If-Range: " + condition);
    }
    if (Result<> installed = installHeaders(m_headers, m_easy, lines); !installed) {
        return installed;
    }
    return wasAdded ? start() : Result<>();
}

Result<> CurlTransfer::start()
{
    if (m_onActivity && (!set(m_easy, CURLOPT_HEADERFUNCTION, &CurlTransfer::headerCallback) ||
                         !set(m_easy, CURLOPT_HEADERDATA, this) ||
                         !set(m_easy, CURLOPT_PREREQFUNCTION, &CurlTransfer::connectedCallback) ||
                         !set(m_easy, CURLOPT_PREREQDATA, this))) {
        return refused("the activity handlers");
    }
    m_result.reset();
    if (m_refusal) {
        end(*m_refusal);
        return {};
    }
    if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK) {
        return Failure{QStringLiteral("libcurl could not start the transfer")};
    }
    m_added = true;
    return {};
}

std::optional<std::chrono::seconds> CurlTransfer::retryAfter() const
{
    curl_off_t seconds = 0;
    if (curl_easy_getinfo(m_easy, CURLINFO_RETRY_AFTER, &seconds) != CURLE_OK || seconds <= 0) {
        return std::nullopt;
    }
    return std::chrono::seconds(seconds);
}

QString CurlTransfer::refusingProxy() const
{
    long status = 0;
    // Some proxies, tinyproxy among them, refuse a tunnel for want of credentials with 401 rather than 407.
    if (curl_easy_getinfo(m_easy, CURLINFO_HTTP_CONNECTCODE, &status) != CURLE_OK || (status != 407 && status != 401)) {
        return QString();
    }
    // libcurl takes the proxy from these, in this order, for an https location.
    for (const char* name : {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        const QByteArray value = qgetenv(name);
        if (value.isEmpty()) {
            continue;
        }
        const QUrl proxy = QUrl::fromUserInput(QString::fromLocal8Bit(value));
        if (proxy.isValid() && !proxy.host().isEmpty()) {
            return proxy.port() > 0 ? QStringLiteral("%1:%2").arg(proxy.host()).arg(proxy.port()) : proxy.host();
        }
    }
    char* address = nullptr;
    long port = 0;
    if (curl_easy_getinfo(m_easy, CURLINFO_PRIMARY_IP, &address) == CURLE_OK && address &&
        curl_easy_getinfo(m_easy, CURLINFO_PRIMARY_PORT, &port) == CURLE_OK) {
        return QStringLiteral("%1:%2").arg(QString::fromLatin1(address)).arg(port);
    }
    return QStringLiteral("(unknown)");
}

std::optional<CURLcode> CurlTransfer::result() const
{
    return m_result;
}

long CurlTransfer::status() const
{
    long status = 0;
    if (curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) {
        return 0;
    }
    return status;
}

int CurlTransfer::socketCallback(CURL* /*easy*/, curl_socket_t socket, int what, void* self, void* /*socketData*/)
{
    static_cast<CurlTransfer*>(self)->watch(socket, what);
    return 0;
}

int CurlTransfer::timerCallback(CURLM* /*multi*/, long timeoutMs, void* self)
{
    QTimer* timer = static_cast<CurlTransfer*>(self)->m_timer;
    if (timeoutMs < 0) {
        timer->stop();
    } else {
        timer->start(static_cast<int>(std::min(timeoutMs, longestTimerMs)));
    }
    return 0;
}

size_t CurlTransfer::writeCallback(char* data, size_t size, size_t count, void* self)
{
    auto* transfer = static_cast<CurlTransfer*>(self);
    const size_t bytes = size * count;
    if (transfer->m_onActivity) {
        transfer->m_onActivity();
    }
    if (!transfer->m_onBody || !transfer->m_onBody(data, bytes)) {
        return 0;
    }
    return bytes;
}

size_t CurlTransfer::headerCallback(char* /*data*/, size_t size, size_t count, void* self)
{
    static_cast<CurlTransfer*>(self)->m_onActivity();
    return size * count;
}

// The connection is up and the request about to go.
int CurlTransfer::connectedCallback(void* self, char* /*remoteIp*/, char* /*localIp*/, int /*remotePort*/,
                                    int /*localPort*/)
{
    static_cast<CurlTransfer*>(self)->m_onActivity();
    return CURL_PREREQFUNC_OK;
}

void CurlTransfer::watch(curl_socket_t socket, int what)
{
    auto it = m_notifiers.find(socket);
    if (what == CURL_POLL_REMOVE) {
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
    if (it == m_notifiers.end()) {
        auto* read = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        auto* write = new QSocketNotifier(socket, QSocketNotifier::Write, this);
        connect(read, &QSocketNotifier::activated, this, [this, socket] { act(socket, CURL_CSELECT_IN); });
        connect(write, &QSocketNotifier::activated, this, [this, socket] { act(socket, CURL_CSELECT_OUT); });
        it = m_notifiers.emplace(socket, std::make_pair(read, write)).first;
    }
    it->second.first->setEnabled(what == CURL_POLL_IN || what == CURL_POLL_INOUT);
    it->second.second->setEnabled(what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
}

void CurlTransfer::act(curl_socket_t socket, int events)
{
    if (!m_added) {
        return;
    }
    int running = 0;
    const CURLMcode acted = curl_multi_socket_action(m_multi, socket, events, &running);
    if (m_onStep) {
        m_onStep();
    }
    std::optional<CURLcode> ended;
    // A socket libcurl has just let go of is no fault; anything else leaves the transfer beyond use.
    if (acted == CURLM_OUT_OF_MEMORY) {
        ended = CURLE_OUT_OF_MEMORY;
    } else if (acted != CURLM_OK && acted != CURLM_BAD_SOCKET) {
        ended = CURLE_FAILED_INIT;
    }
    int queued = 0;
    while (const CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
        if (message->msg == CURLMSG_DONE) {
            ended = message->data.result;
        }
    }
    if (!ended || m_result) {
        return;
    }
    end(*ended);
}

void CurlTransfer::end(CURLcode result)
{
    m_result = result;
    m_timer->stop();
    QTimer::singleShot(0, this, [this] {
        // A copy: the handler may replace it or drop the transfer.
        const DoneHandler handler = m_onDone;
        if (m_result && handler) {
            handler(*m_result);
        }
    });
}
