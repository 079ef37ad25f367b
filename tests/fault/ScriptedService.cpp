#include "ScriptedService.h"

#include "service/ServiceSettings.h"

#include <QTcpSocket>
#include <QUrl>

#include <memory>

namespace tavro::test {

ScriptedService::ScriptedService()
{
    m_server.listen(QHostAddress::LocalHost);
    m_description.body = QStringLiteral(
                             "<?xml version=\"1.0\"?><definitions xmlns=\"http://schemas.xmlsoap.org/wsdl/\" "
                             "xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\"><service name=\"TavroWSService\">"
                             "<port name=\"TavroWSAsyncPort\" binding=\"tns:TavroWSAsyncBinding\"><soap:address "
                             "location=\"%1/async\"/>"
                             "</port></service></definitions>")
                             .arg(origin())
                             .toUtf8();
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            serve(socket);
    });
}

namespace {

// Posts the request to the service's port at `origin` and waits for its answer, which is dropped.
void passOn(QByteArray request, const QString &origin)
{
    const QUrl url(origin);
    request.replace(request.indexOf(' ') + 1, request.indexOf(' ', request.indexOf(' ') + 1) - request.indexOf(' ') - 1,
                    ServiceSettings::AsyncPath.toLatin1());
    QTcpSocket service;
    service.connectToHost(url.host(), quint16(url.port()));
    if (!service.waitForConnected(5000))
        return;
    service.write(request);
    service.waitForBytesWritten(5000);
    service.waitForReadyRead(10000);
}

} // namespace

QString ScriptedService::origin() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

void ScriptedService::serve(QTcpSocket *socket)
{
    auto received = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
        received->append(socket->readAll());
        const qsizetype headerEnd = received->indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        qsizetype length = 0;
        for (const QByteArray &line : received->left(headerEnd).split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        }
        if (received->size() < headerEnd + 4 + length)
            return;
        const Answer &answer = received->startsWith("POST") ? m_call : m_description;
        if (!answer.forwardTo.isEmpty())
            passOn(*received, answer.forwardTo);
        const qsizetype announced = answer.cut || answer.stall ? answer.body.size() * 2 : answer.body.size();
        socket->write("HTTP/1.1 " + QByteArray::number(answer.status) + " Scripted\r\nContent-Type: "
                      + answer.contentType + "\r\nContent-Length: " + QByteArray::number(announced)
                      + "\r\nConnection: close\r\n\r\n" + answer.body);
        if (!answer.stall)
            socket->disconnectFromHost();
    });
}

} // namespace tavro::test
