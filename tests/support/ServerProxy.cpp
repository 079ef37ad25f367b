#include "ServerProxy.h"

#include "SimProcess.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

#include <future>

namespace tavro::test {

ServerProxy::ServerProxy(quint16 serverPort)
{
    std::promise<QObject *> started;
    std::future<QObject *> context = started.get_future();
    m_thread = std::thread([this, serverPort, &started] {
        QEventLoop loop;
        QTcpServer server(&loop);
        server.listen(QHostAddress::LocalHost);
        m_port = server.serverPort();
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, serverPort] {
            while (QTcpSocket *client = server.nextPendingConnection()) {
                auto *upstream = new QTcpSocket(client);
                QObject::connect(client, &QTcpSocket::readyRead, upstream,
                                 [client, upstream] { upstream->write(client->readAll()); });
                QObject::connect(upstream, &QTcpSocket::readyRead, client,
                                 [client, upstream] { client->write(upstream->readAll()); });
                QObject::connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
                QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
                upstream->connectToHost(QHostAddress::LocalHost, serverPort);
            }
        });
        started.set_value(&loop);
        loop.exec();
    });
    m_context = context.get();
}

ServerProxy::~ServerProxy()
{
    onProxyThread([this] { static_cast<QEventLoop *>(m_context)->quit(); });
    m_thread.join();
}

void ServerProxy::stop()
{
    onProxyThread([this] {
        for (QTcpServer *server : m_context->findChildren<QTcpServer *>()) {
            server->close();
            for (QTcpSocket *socket : server->findChildren<QTcpSocket *>())
                socket->abort();
        }
    });
}

void ServerProxy::onProxyThread(const std::function<void()> &work)
{
    QMetaObject::invokeMethod(m_context, work, Qt::BlockingQueuedConnection);
}

ServerGoneDuringPost::ServerGoneDuringPost(ServerProxy &proxy, SimProcess &service)
{
    service.requests(); // what came before does not count
    QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this, &proxy, &service] {
        if (!service.requests().filter(QRegularExpression(QStringLiteral("^POST "))).isEmpty()) {
            m_poll.stop();
            proxy.stop();
            service.release();
        }
    });
    m_poll.start(50);
}

} // namespace tavro::test
