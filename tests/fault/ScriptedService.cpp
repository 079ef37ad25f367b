#include "ScriptedService.h"

#include <QTcpSocket>

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
        const qsizetype announced = answer.cut || answer.stall ? answer.body.size() * 2 : answer.body.size();
        socket->write("HTTP/1.1 " + QByteArray::number(answer.status) + " Scripted\r\nContent-Type: "
                      + answer.contentType + "\r\nContent-Length: " + QByteArray::number(announced)
                      + "\r\nConnection: close\r\n\r\n" + answer.body);
        if (!answer.stall)
            socket->disconnectFromHost();
    });
}

} // namespace tavro::test
