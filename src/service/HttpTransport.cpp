#include "service/HttpTransport.h"

#include "common/Error.h"
#include "service/ErrorHint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <curl/curl.h>

#include <cstring>
#include <mutex>
#include <thread>

namespace tavro {

namespace {

// How long one wait for the connection lasts before the time limit is looked at again.
constexpr int PollMs = 50;

QString environmentValue(const QProcessEnvironment &environment, const char *lower, const char *upper)
{
    const QString value = environment.value(QLatin1String(lower)).trimmed();
    return value.isEmpty() && upper ? environment.value(QLatin1String(upper)).trimmed() : value;
}

bool bypassesProxy(const QString &host, const QString &noProxy)
{
    const QString name = host.toLower();
    const QStringList entries = noProxy.toLower().split(QRegularExpression(QStringLiteral("[,\\s]+")),
                                                        Qt::SkipEmptyParts);
    for (QString entry : entries) {
        if (entry == QLatin1String("*"))
            return true;
        while (entry.startsWith(QLatin1Char('*')) || entry.startsWith(QLatin1Char('.')))
            entry.remove(0, 1);
        if (!entry.isEmpty() && (name == entry || name.endsWith(QLatin1Char('.') + entry)))
            return true;
    }
    return false;
}

void initializeCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The system's authorities as one PEM text, read once, so a certificate of the settings can
// be trusted beside them.
const QByteArray &systemAuthorities()
{
    static const QByteArray pem = [] {
        const char *bundle = curl_version_info(CURLVERSION_NOW)->cainfo;
        QFile file(QString::fromLocal8Bit(bundle ? bundle : ""));
        return file.open(QIODevice::ReadOnly) ? file.readAll() + '\n' : QByteArray();
    }();
    return pem;
}

bool isTlsFailure(CURLcode code)
{
    switch (code) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return true;
    default:
        return false;
    }
}

} // namespace

QUrl proxyFor(const QString &setting, const QUrl &target, const QProcessEnvironment &environment)
{
    QString chosen = setting.trimmed();
    if (chosen.isEmpty())
        return QUrl();
    if (chosen.compare(QLatin1String("sistema"), Qt::CaseInsensitive) == 0) {
        chosen = target.scheme() == QLatin1String("https")
            ? environmentValue(environment, "https_proxy", "HTTPS_PROXY")
            // HTTP_PROXY is left alone: a web server's CGI sets it from a request's "Proxy:" header.
            : environmentValue(environment, "http_proxy", nullptr);
        if (chosen.isEmpty() || bypassesProxy(target.host(), environmentValue(environment, "no_proxy", "NO_PROXY")))
            return QUrl();
        if (!chosen.contains(QLatin1String("://")))
            chosen.prepend(QLatin1String("http://"));
    }
    const QUrl proxy(chosen, QUrl::StrictMode);
    if (!proxy.isValid() || proxy.scheme() != QLatin1String("http") || proxy.host().isEmpty() || proxy.port() <= 0
        || !proxy.path(QUrl::FullyEncoded).remove(QLatin1Char('/')).isEmpty())
        throw Error(QStringLiteral("Proxy inválido (%1): use http://[usuario:senha@]host:porta em [TAVRO] Proxy, "
                                   "ou sistema para seguir http_proxy e https_proxy")
                        .arg(proxy.isValid() ? proxy.toString(QUrl::RemovePassword) : chosen.section('@', -1)));
    return proxy;
}

struct HttpTransport::Handles
{
    CURLM *multi = nullptr;
};

// One request in flight: the body it hands out once, and the answer as it arrives.
struct HttpTransport::Transfer
{
    const QByteArray *body = nullptr;
    qsizetype sent = 0;
    bool answered = false; // a byte of the origin's answer arrived
    HttpAnswer answer;
    QElapsedTimer sinceActivity;

    static size_t read(char *buffer, size_t size, size_t count, void *self)
    {
        auto *t = static_cast<Transfer *>(self);
        const size_t n = std::min(size * count, size_t(t->body->size() - t->sent));
        std::memcpy(buffer, t->body->constData() + t->sent, n);
        t->sent += qsizetype(n);
        t->sinceActivity.restart();
        return n;
    }
    // A second post would need a new connection and the body rewound: once a byte of the body
    // went, both are refused, so the library ends the request with a failure instead.
    static int seek(void *, curl_off_t, int) { return CURL_SEEKFUNC_CANTSEEK; }
    static int newSocket(void *self, curl_socket_t, curlsocktype)
    {
        return static_cast<Transfer *>(self)->sent > 0 ? CURL_SOCKOPT_ERROR : CURL_SOCKOPT_OK;
    }
    static size_t header(char *buffer, size_t size, size_t count, void *self)
    {
        auto *t = static_cast<Transfer *>(self);
        const QByteArray line = QByteArray(buffer, qsizetype(size * count)).trimmed();
        t->answered = true;
        t->sinceActivity.restart();
        if (line.startsWith("HTTP/")) { // a new answer (after a 100 Continue, say) starts afresh
            t->answer.reason = QString::fromLatin1(line).section(QLatin1Char(' '), 2);
            t->answer.contentType.clear();
        } else if (line.toLower().startsWith("content-type:")) {
            t->answer.contentType = line.mid(13).trimmed();
        }
        return size * count;
    }
    static size_t write(char *buffer, size_t size, size_t count, void *self)
    {
        auto *t = static_cast<Transfer *>(self);
        t->answer.body.append(buffer, qsizetype(size * count));
        t->sinceActivity.restart();
        return size * count;
    }
};

HttpTransport::HttpTransport()
    : m_handles(std::make_unique<Handles>())
{
    initializeCurl();
    // The multi handle owns the pool of open connections, kept for the transport's life.
    m_handles->multi = curl_multi_init();
}

HttpTransport::~HttpTransport()
{
    curl_multi_cleanup(m_handles->multi);
}

HttpAnswer HttpTransport::get(const QString &url, const TransportOptions &options)
{
    return perform(url, options, {}, nullptr);
}

HttpAnswer HttpTransport::post(const QString &url, const QList<QByteArray> &headers, const QByteArray &body,
                               const TransportOptions &options)
{
    return perform(url, options, headers, &body);
}

HttpAnswer HttpTransport::perform(const QString &url, const TransportOptions &options, const QList<QByteArray> &headers,
                                  const QByteArray *body)
{
    const QUrl proxy = proxyFor(options.proxy, QUrl(url));
    Transfer transfer;
    transfer.body = body;
    char errorText[CURL_ERROR_SIZE] = {};
    // A request of its own for every transfer, so nothing of a failed one (a rewind it asked
    // for, say) carries over; the connections stay with the multi handle.
    const std::unique_ptr<CURL, void (*)(CURL *)> request(curl_easy_init(), curl_easy_cleanup);
    CURL *easy = request.get();
    const QByteArray address = url.toUtf8();
    curl_easy_setopt(easy, CURLOPT_URL, address.constData());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::write);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);

    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, options.verifyCertificate ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, options.verifyCertificate ? 2L : 0L);
    if (options.verifyCertificate && !options.trustedPem.isEmpty()) {
        QByteArray authorities = systemAuthorities() + options.trustedPem;
        curl_blob blob{authorities.data(), size_t(authorities.size()), CURL_BLOB_COPY};
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
    }

    // An empty proxy turns off the library's own reading of the environment: the setting decides.
    const QByteArray proxyAddress = proxy.isEmpty() ? QByteArray() : proxy.toString(QUrl::RemoveUserInfo).toUtf8();
    const QByteArray proxyUser = proxy.userName(QUrl::FullyDecoded).toUtf8();
    const QByteArray proxyPassword = proxy.password(QUrl::FullyDecoded).toUtf8();
    curl_easy_setopt(easy, CURLOPT_PROXY, proxyAddress.constData());
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    if (!proxyUser.isEmpty() || !proxyPassword.isEmpty()) {
        // Basic only, sent with the first request: no round trip to learn the scheme, and no
        // second sending of a body after a 407.
        curl_easy_setopt(easy, CURLOPT_PROXYAUTH, long(CURLAUTH_BASIC));
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxyUser.constData());
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxyPassword.constData());
    }

    curl_slist *headerList = nullptr;
    if (body) {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body->size()));
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Transfer::read);
        curl_easy_setopt(easy, CURLOPT_READDATA, &transfer);
        curl_easy_setopt(easy, CURLOPT_SEEKFUNCTION, &Transfer::seek);
        curl_easy_setopt(easy, CURLOPT_SOCKOPTFUNCTION, &Transfer::newSocket);
        curl_easy_setopt(easy, CURLOPT_SOCKOPTDATA, &transfer);
        // No "Expect: 100-continue": the body follows its head at once.
        headerList = curl_slist_append(headerList, "Expect:");
        for (const QByteArray &line : headers)
            headerList = curl_slist_append(headerList, line.constData());
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }

    transfer.sinceActivity.start();
    curl_multi_add_handle(m_handles->multi, easy);
    const qint64 limitMs = qint64(options.timeLimitSeconds) * 1000;
    bool timedOut = false;
    const auto drive = [&] {
        for (int running = 1;;) {
            curl_multi_perform(m_handles->multi, &running);
            if (!running)
                return;
            if (transfer.sinceActivity.hasExpired(limitMs)) {
                timedOut = true;
                return;
            }
            curl_multi_poll(m_handles->multi, nullptr, 0, PollMs, nullptr);
        }
    };
    QCoreApplication *application = QCoreApplication::instance();
    if (application && QThread::currentThread() == application->thread()) {
        // The application's thread waits in an event loop of its own while another thread moves
        // the bytes: painting, timers, "Parar" and the accessibility bus (whose calls arrive as
        // posted events) are answered at once, not between two polls of the connection. Nothing
        // else touches the transfer or the multi handle meanwhile.
        const QEventLoop::ProcessEventsFlags events = options.inputDuringWait && options.inputDuringWait()
            ? QEventLoop::AllEvents
            : QEventLoop::ExcludeUserInputEvents;
        QEventLoop wait;
        std::thread mover([&] {
            drive();
            QMetaObject::invokeMethod(&wait, &QEventLoop::quit, Qt::QueuedConnection);
        });
        wait.exec(events);
        mover.join();
    } else {
        drive();
    }
    CURLcode result = CURLE_OK;
    int left = 0;
    while (CURLMsg *message = curl_multi_info_read(m_handles->multi, &left)) {
        if (message->msg == CURLMSG_DONE)
            result = message->data.result;
    }
    long status = 0, connectStatus = 0, osError = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(easy, CURLINFO_HTTP_CONNECTCODE, &connectStatus);
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osError);
    // Removing an unfinished transfer closes its connection.
    curl_multi_remove_handle(m_handles->multi, easy);
    curl_slist_free_all(headerList);

    const bool bodySent = body && transfer.sent > 0;
    const auto failure = [bodySent](const QString &message, const QString &hint) {
        return TransferFailure(message, hint, bodySent);
    };
    if (timedOut)
        throw failure(
            QStringLiteral("O serviço não respondeu dentro do tempo limite (%1 s)").arg(options.timeLimitSeconds),
            ErrorHint::SemResposta);
    if (result == CURLE_OK) {
        transfer.answer.status = int(status);
        transfer.answer.viaProxy = !proxy.isEmpty();
        return transfer.answer;
    }
    const QString text = errorText[0] ? QString::fromLocal8Bit(errorText)
                                      : QString::fromLatin1(curl_easy_strerror(result));
    if (bodySent && !transfer.answered)
        throw failure(QStringLiteral("A conexão foi encerrada depois do envio do pedido, sem resposta; o pedido não "
                                     "é enviado de novo"),
                      ErrorHint::SemConexao);
    // Proxies refuse a tunnel's login with 407, some with 401.
    if (connectStatus == 407 || connectStatus == 401)
        throw failure(text, ErrorHint::ProxyRecusado);
    if (result == CURLE_COULDNT_RESOLVE_PROXY)
        throw failure(text, ErrorHint::ProxyInacessivel);
    if (result == CURLE_COULDNT_CONNECT || result == CURLE_COULDNT_RESOLVE_HOST) {
        // With a proxy the only connection made is the one to the proxy.
        const QString reason = result == CURLE_COULDNT_CONNECT && osError
            ? QString::fromLocal8Bit(std::strerror(int(osError)))
            : text;
        throw failure(reason, proxy.isEmpty() ? ErrorHint::SemConexao : ErrorHint::ProxyInacessivel);
    }
    if (isTlsFailure(result))
        throw failure(QStringLiteral("SSL handshake failed: ") + text, QString());
    throw failure(text, ErrorHint::SemConexao);
}

} // namespace tavro
