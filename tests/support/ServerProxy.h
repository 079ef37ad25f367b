#pragma once

#include <QTimer>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <thread>

class QObject;

namespace tavro::test {

// A TCP relay on 127.0.0.1 in front of a Firebird server, on a thread of its own so it
// keeps relaying while the test's thread waits inside a database call. Stopping it
// drops every connection at once, which the client sees as the server going away.
class ServerProxy
{
public:
    explicit ServerProxy(quint16 serverPort);
    ~ServerProxy();

    ServerProxy(const ServerProxy &) = delete;
    ServerProxy &operator=(const ServerProxy &) = delete;

    quint16 port() const { return m_port; }
    // Closes the listener and aborts every relayed connection; returns once they are gone.
    void stop();

private:
    void onProxyThread(const std::function<void()> &work);

    std::thread m_thread;
    QObject *m_context = nullptr;
    std::atomic<quint16> m_port = 0;
};

class SimProcess;

// The database server goes away while the program waits for the service: once `service` has
// received a POST (whose answer it holds back), `proxy` stops and the answer is let go.
class ServerGoneDuringPost
{
public:
    ServerGoneDuringPost(ServerProxy &proxy, SimProcess &service);

private:
    QTimer m_poll;
};

} // namespace tavro::test
