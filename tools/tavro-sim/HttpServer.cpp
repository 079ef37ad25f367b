#include "HttpServer.h"

#include <QHostAddress>
#include <QPointer>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

HttpServer::HttpServer(Handler handler, const std::optional<QSslConfiguration> &tls)
    : m_handler(std::move(handler))
{
    if (tls) {
        auto server = std::make_unique<QSslServer>();
        server->setSslConfiguration(*tls);
        m_server = std::move(server);
    } else {
        m_server = std::make_unique<QTcpServer>();
    }
    // QSslServer offers a connection only after its handshake.
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, &HttpServer::accept);
}

HttpServer::~HttpServer() = default;

bool HttpServer::listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 HttpServer::port() const
{
    return m_server->serverPort();
}

QString HttpServer::errorString() const
{
    return m_server->errorString();
}

void HttpServer::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        ++m_connections;
        if (m_connected)
            m_connected(m_connections);
        m_pending.insert(socket, QByteArray());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            socket->deleteLater();
        });
        readFrom(socket);
    }
}

void HttpServer::readFrom(QTcpSocket *socket)
{
    QByteArray &buffer = m_pending[socket];
    buffer += socket->readAll();
    for (;;) {
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        HttpRequest request;
        const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
        request.method = requestLine.value(0);
        request.target = requestLine.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        const qsizetype length = request.headers.value("content-length", "0").toLongLong();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        buffer.remove(0, headerEnd + 4 + length);
        const HttpResponse response = m_handler(request);
        if (response.silent)
            continue;
        if (response.held) {
            m_held.append({QPointer<QTcpSocket>(socket), response});
            continue;
        }
        if (response.delayMs > 0) {
            QPointer<QTcpSocket> guarded(socket);
            QTimer::singleShot(response.delayMs, this, [this, guarded, response] {
                if (guarded)
                    respond(guarded, response);
            });
        } else {
            respond(socket, response);
        }
    }
}

void HttpServer::release()
{
    for (const auto &[socket, response] : std::exchange(m_held, {})) {
        if (socket)
            respond(socket, response);
    }
}

void HttpServer::respond(QTcpSocket *socket, const HttpResponse &response)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + response.reason + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Connection: keep-alive\r\n\r\n";
    socket->write(head + response.body);
}
