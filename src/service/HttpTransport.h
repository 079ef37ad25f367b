#pragma once

#include "common/Error.h"

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace tavro {

// How one request travels: its time limit, the certificate checks of an https host and the
// proxy setting ([TAVRO] Proxy).
struct TransportOptions
{
    int timeLimitSeconds = 120; // seconds without a byte moving before the request is given up
    bool verifyCertificate = false;
    QByteArray trustedPem; // certificates trusted beside the system's authorities, when verifying
    QString proxy;         // empty: direct; "sistema": http_proxy/https_proxy/no_proxy; else a URL
    // Asked as the wait begins: whether the user's input is taken while the request waits.
    std::function<bool()> inputDuringWait;
};

// What the server answered.
struct HttpAnswer
{
    int status = 0;
    QString reason;
    QByteArray contentType;
    QByteArray body;
    bool viaProxy = false; // forwarded by a proxy, which may have answered itself
};

// A request that ended without a whole answer: refused, unreachable, timed out, closed or
// reset. `bodySent` says whether a byte of its body had gone out by then.
class TransferFailure : public Error
{
public:
    TransferFailure(const QString &message, const QString &hint, bool bodySent)
        : Error(message, hint)
        , m_bodySent(bodySent)
    {
    }
    bool bodySent() const { return m_bodySent; }

private:
    bool m_bodySent;
};

// The proxy a request to `target` goes through under `setting`, or an empty URL to go direct.
// "sistema" reads https_proxy (or HTTPS_PROXY) for an https target, http_proxy for an http one,
// and skips the hosts of no_proxy (names, with their subdomains, and addresses; "*" for all).
// A setting that is not an http:// URL with host and port throws with a message naming the key.
QUrl proxyFor(const QString &setting, const QUrl &target,
              const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// HTTP/1.1 client of the SOAP pipeline. It keeps its connections open from request to request
// (the description, the call, the next batch: one TCP connection and one TLS handshake while
// the host and the options stay the same), sends a request's head and body without waiting for
// an acknowledgement (TCP_NODELAY) and never sends a body twice: a connection that closes or
// resets after the request was written ends the request with a failure instead of the silent
// second post that HTTP libraries make on a reused connection.
//
// A request blocks its caller. On the application's thread the caller waits in an event loop
// while a thread of the request moves the bytes, so the application's other events (painting,
// timers, local sockets, the accessibility bus) run as they come, and the user's input only
// when the options let it. A failure throws
// TransferFailure with the network's text and the hint for the clerk; a request that moves no byte for the time limit
// fails with "O serviço não respondeu dentro do tempo limite (N s)".
class HttpTransport
{
public:
    HttpTransport();
    ~HttpTransport();
    HttpTransport(const HttpTransport &) = delete;
    HttpTransport &operator=(const HttpTransport &) = delete;

    HttpAnswer get(const QString &url, const TransportOptions &options);
    // `headers` as "Name: value" lines, added to the request's own.
    HttpAnswer post(const QString &url, const QList<QByteArray> &headers, const QByteArray &body,
                    const TransportOptions &options);

private:
    struct Transfer;
    HttpAnswer perform(const QString &url, const TransportOptions &options, const QList<QByteArray> &headers,
                       const QByteArray *body);

    struct Handles;
    std::unique_ptr<Handles> m_handles;
};

} // namespace tavro
