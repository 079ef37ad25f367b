#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QString>

#include <functional>
#include <memory>
#include <utility>

class QTcpServer;
class QTcpSocket;

// What the server read from one request.
struct HttpRequest
{
    QByteArray method;
    QByteArray target;                     // path and query as sent
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

// What to answer, and how: after `delayMs`, never when `silent`, or when `held` once the
// server is told to release it.
struct HttpResponse
{
    int status = 200;
    QByteArray reason = "OK";
    QByteArray contentType = "text/xml; charset=utf-8";
    QByteArray body;
    int delayMs = 0;
    bool silent = false;
    bool held = false;
};

// A small HTTP/1.1 server on 127.0.0.1: requests with Content-Length bodies, kept-alive
// connections, plain or TLS. Every request goes to the handler, whose answer is sent as is.
class HttpServer : public QObject
{
public:
    using Handler = std::function<HttpResponse(const HttpRequest &)>;

    // With a configuration holding a certificate the server speaks TLS.
    HttpServer(Handler handler, const std::optional<QSslConfiguration> &tls);
    ~HttpServer() override;

    // Port 0 picks a free one; returns false when the port cannot be bound.
    bool listen(quint16 port);
    quint16 port() const;
    QString errorString() const;
    // Sends the answers held so far.
    void release();
    // Called with the count of connections so far whenever a client opens one (after its TLS
    // handshake, over TLS).
    void onConnection(std::function<void(int)> connected) { m_connected = std::move(connected); }

private:
    void accept();
    void readFrom(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const HttpResponse &response);

    Handler m_handler;
    std::unique_ptr<QTcpServer> m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QList<std::pair<QPointer<QTcpSocket>, HttpResponse>> m_held;
    std::function<void(int)> m_connected;
    int m_connections = 0;
};
