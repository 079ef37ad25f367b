#pragma once

#include <QByteArray>
#include <QTcpServer>

class QTcpSocket;

namespace tavro::test {

// A stand-in for the service on 127.0.0.1 that answers with bytes the test chooses,
// for answers tavro-sim is never asked to give: a body that is not well formed, a Body
// without the response element, an answer cut off before its end, a description the
// server refuses. GET requests get the description, POST requests the call answer.
class ScriptedService
{
public:
    struct Answer
    {
        int status = 200;
        QByteArray contentType = "text/xml; charset=utf-8";
        QByteArray body;
        // Announce twice the body's length and close the connection after the body.
        bool cut = false;
        // Announce twice the body's length and fall silent after the body, keeping the connection.
        bool stall = false;
        // A gateway in front of a service: the request is first passed on to the service at this
        // origin, which takes it, and then this answer is given instead of the service's.
        QString forwardTo;
    };

    ScriptedService();

    quint16 port() const { return m_server.serverPort(); }
    QString origin() const;
    // By default a description whose port points at this server, without actions.
    void setDescription(Answer answer) { m_description = std::move(answer); }
    void setCallAnswer(Answer answer) { m_call = std::move(answer); }

private:
    void serve(QTcpSocket *socket);

    QTcpServer m_server;
    Answer m_description;
    Answer m_call;
};

} // namespace tavro::test
