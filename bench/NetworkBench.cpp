#include "NetworkBench.h"

#include "BenchSupport.h"

#include "db/Database.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/SoapClient.h"
#include "service/WsdlPort.h"
#include "transmission/EstoqueTransmission.h"
#include "transmission/Transmission.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QThread>

#include <atomic>
#include <chrono>
#include <deque>
#include <thread>
#include <vector>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tavro::bench {

std::unique_ptr<RecordList> benchStockList(Database &db)
{
    ListSearch search;
    search.kind = MovementKind::Estoque;
    search.unidade = QStringLiteral("2345678");
    search.dia = QStringLiteral("28/02/2019");
    std::unique_ptr<RecordList> list(newMovementList(MovementKind::Estoque, nullptr));
    fillMovementList(db, search, *list);
    return list;
}

namespace {

using Clock = std::chrono::steady_clock;

// One direction of a relayed connection: chunks read, each with the moment it may go on.
struct Direction
{
    int from = -1;
    int to = -1;
    std::deque<std::pair<Clock::time_point, std::vector<char>>> queue;
    bool ended = false; // `from` closed; `to` is shut once the queue is empty
    // Of a client's direction: the server has answered since the client last spoke.
    bool answered = true;
};

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    return fd;
}

void noDelay(int fd)
{
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

} // namespace

struct DelayRelay::State
{
    int listener = -1;
    quint16 port = 0;
    quint16 target = 0;
    std::chrono::milliseconds delay{0};
    std::atomic<bool> stop{false};
    std::atomic<int> connections{0};
    std::atomic<int> exchanges{0};
    std::thread thread;

    void run()
    {
        std::vector<Direction> directions;
        while (!stop) {
            std::vector<pollfd> polled{{listener, POLLIN, 0}};
            for (const Direction &d : directions)
                polled.push_back({d.from, short(d.ended ? 0 : POLLIN), 0});
            Clock::time_point next = Clock::now() + std::chrono::milliseconds(50);
            for (const Direction &d : directions) {
                if (!d.queue.empty())
                    next = std::min(next, d.queue.front().first);
            }
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
            ::poll(polled.data(), polled.size(), int(std::max<long long>(0, wait)));
            if (polled[0].revents & POLLIN) {
                const int client = ::accept(listener, nullptr, nullptr);
                const int server = connectTo(target);
                noDelay(client);
                noDelay(server);
                ++connections;
                directions.push_back({client, server, {}, false});
                directions.push_back({server, client, {}, false});
            }
            for (size_t i = 0; i + 1 < polled.size(); ++i) {
                Direction &d = directions[i];
                if (!(polled[i + 1].revents & (POLLIN | POLLHUP | POLLERR)))
                    continue;
                std::vector<char> chunk(65536);
                const ssize_t n = ::read(d.from, chunk.data(), chunk.size());
                if (n <= 0) {
                    d.ended = true;
                    continue;
                }
                chunk.resize(size_t(n));
                // Directions come in pairs: the client's, then the server's.
                Direction &client = directions[i - i % 2];
                if (i % 2 == 0 && client.answered) {
                    ++exchanges;
                    client.answered = false;
                } else if (i % 2 == 1) {
                    client.answered = true;
                }
                d.queue.emplace_back(Clock::now() + delay, std::move(chunk));
            }
            const Clock::time_point now = Clock::now();
            for (Direction &d : directions) {
                while (!d.queue.empty() && d.queue.front().first <= now) {
                    const std::vector<char> &chunk = d.queue.front().second;
                    for (size_t sent = 0; sent < chunk.size();) {
                        const ssize_t n = ::write(d.to, chunk.data() + sent, chunk.size() - sent);
                        if (n <= 0)
                            break;
                        sent += size_t(n);
                    }
                    d.queue.pop_front();
                }
                if (d.ended && d.queue.empty() && d.to >= 0) {
                    ::shutdown(d.to, SHUT_WR);
                    d.to = -1;
                }
            }
        }
        for (const Direction &d : directions)
            ::close(d.from);
    }
};

DelayRelay::DelayRelay(quint16 target, int delayMs)
    : m_state(std::make_unique<State>())
{
    m_state->target = target;
    m_state->delay = std::chrono::milliseconds(delayMs);
    m_state->listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_state->listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(m_state->listener, 16);
    socklen_t length = sizeof address;
    ::getsockname(m_state->listener, reinterpret_cast<sockaddr *>(&address), &length);
    m_state->port = ntohs(address.sin_port);
    m_state->thread = std::thread([state = m_state.get()] { state->run(); });
}

DelayRelay::~DelayRelay()
{
    m_state->stop = true;
    m_state->thread.join();
    ::close(m_state->listener);
}

quint16 DelayRelay::port() const
{
    return m_state->port;
}

int DelayRelay::connections() const
{
    return m_state->connections;
}

int DelayRelay::exchanges() const
{
    return m_state->exchanges;
}

namespace {

// The request bodies logged in `logFolder`, in name order, without their "<!--...-->" head.
QList<QByteArray> loggedRequests(const QString &logFolder)
{
    QList<QByteArray> bodies;
    const QDir folder(logFolder);
    for (const QString &log : folder.entryList({QStringLiteral("*_req.xml")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(log));
        file.open(QIODevice::ReadOnly);
        const QByteArray logged = file.readAll();
        bodies.append(logged.mid(logged.indexOf("-->") + 3));
    }
    return bodies;
}

// Where a stock batch goes and with which headers, as the program takes them from the description.
struct StockCall
{
    QString wsdlUrl;
    QString endpoint;
    QList<QByteArray> headers;

    explicit StockCall(const QString &origin)
        : wsdlUrl(origin + ServiceSettings::WsdlPath + QStringLiteral("?wsdl"))
    {
        HttpTransport transport;
        const WsdlPort port = WsdlPort::read(transport.get(wsdlUrl, {}).body, QStringLiteral("TavroWSService"),
                                             QStringLiteral("TavroWSAsyncPort"));
        endpoint = port.address();
        headers = {"Content-Type: text/xml; charset=utf-8",
                   "SOAPAction: \"" + port.action(QStringLiteral("informarPosicaoEstoqueEmLote")).toUtf8() + '"',
                   "Authorization: " + basicAuthorization(BenchLogin.TavroUsuarioSessao, BenchLogin.TavroSenhaSessao),
                   "Expect:"};
    }
};

} // namespace

double replayMs(const QString &origin, const QString &logFolder, double pauseMs)
{
    const StockCall call(origin);
    HttpTransport transport;
    QElapsedTimer clock;
    qint64 transfersNs = 0;
    for (const QByteArray &body : loggedRequests(logFolder)) {
        if (pauseMs > 0)
            QThread::usleep(qRound64(pauseMs * 1000));
        clock.start();
        transport.get(call.wsdlUrl, {});
        transport.post(call.endpoint, call.headers, body, {});
        transfersNs += clock.nsecsElapsed();
    }
    return transfersNs / 1e6;
}

double curlTransfersMs(const QString &origin, const QString &logFolder, const QString &workFolder)
{
    const StockCall call(origin);

    QDir().mkpath(workFolder);
    QFile config(workFolder + QStringLiteral("/curl.config"));
    config.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QTextStream lines(&config);
    const QList<QByteArray> bodies = loggedRequests(logFolder);
    for (qsizetype i = 0; i < bodies.size(); ++i) {
        QFile body(workFolder + QStringLiteral("/%1.xml").arg(i));
        body.open(QIODevice::WriteOnly | QIODevice::Truncate);
        body.write(bodies[i]);
        body.close();
        lines << "url = \"" << call.wsdlUrl << "\"\noutput = /dev/null\nsilent\ninsecure\n"
              << "write-out = \"%{time_total}\\n\"\nnext\n"
              << "url = \"" << call.endpoint << "\"\noutput = /dev/null\nsilent\ninsecure\n"
              << "write-out = \"%{time_total}\\n\"\ndata-binary = \"@" << body.fileName() << "\"\n";
        for (const QByteArray &header : call.headers)
            lines << "header = \"" << QString::fromLatin1(header).replace(QLatin1Char('"'), QStringLiteral("\\\""))
                  << "\"\n";
        if (i + 1 < bodies.size())
            lines << "next\n";
    }
    lines.flush();
    config.close();

    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("--config"), config.fileName()});
    curl.waitForFinished(-1);
    double seconds = 0;
    for (const QByteArray &line : curl.readAllStandardOutput().split('\n'))
        seconds += line.toDouble();
    return seconds * 1000;
}

NetworkRun compareNetwork(const QString &database, const QString &folder, int batches, bool tls, int delayMs,
                          QTextStream &out)
{
    QDir().mkpath(folder);
    const QStringList copies = copyDatabase(database, folder, {QStringLiteral("program.fdb")});
    if (copies.isEmpty())
        return {};
    const QString &copy = copies.first();
    QProcess sim;
    QStringList arguments{QStringLiteral("--conexoes")};
    if (tls)
        arguments << QStringLiteral("--tls");
    const QString simOrigin = startSim(sim, arguments);
    std::unique_ptr<DelayRelay> relay;
    if (delayMs > 0)
        relay = std::make_unique<DelayRelay>(simOrigin.section(QLatin1Char(':'), -1).toUShort(), delayMs / 2);
    const QString origin = QStringLiteral("%1://127.0.0.1:%2")
                               .arg(tls ? "https" : "http")
                               .arg(relay ? relay->port() : simOrigin.section(QLatin1Char(':'), -1).toUShort());

    NetworkRun run;
    const QString logFolder = folder + QStringLiteral("/Tavro");
    {
        HttpTransport transport;
        ServiceSettings settings;
        settings.Servidor = origin;
        SoapClient client(
            transport, settings, logFolder, [] { return QDateTime::currentDateTime(); }, BenchLogin);
        Database db;
        db.open(copy);
        const std::unique_ptr<RecordList> list = benchStockList(db);
        TransmissionInput input{
            QStringLiteral("2345678"), QStringLiteral("3550308"), QStringLiteral("28/02/2019"), QString(), 500,
            QDate::currentDate()};
        EstoqueTransmission kind;
        QElapsedTimer clock;
        clock.start();
        int sent = 0;
        for (; sent < batches; ++sent) {
            RunReport report;
            const RunResult result = transmitOnce(db, client, kind, *list, input, report);
            if (result.end != RunResult::End::Sent) {
                out << "network run " << sent + 1 << " ended with: " << result.text() << "\n";
                break;
            }
            run.programMs += client.lastTimings().network;
        }
        if (sent > 0)
            run.pauseMs = (clock.nsecsElapsed() / 1e6 - run.programMs) / sent;
    }
    // The program's transport is gone: what the service saw of it is complete.
    sim.setReadChannel(QProcess::StandardOutput);
    sim.waitForReadyRead(200);
    run.connections = relay ? relay->connections()
                            : int(QString::fromUtf8(sim.readAllStandardOutput()).count(QStringLiteral("connection ")));
    run.curlMs = curlTransfersMs(origin, logFolder, folder + QStringLiteral("/curl"));
    run.replayMs = replayMs(origin, logFolder);
    run.pausedReplayMs = replayMs(origin, logFolder, run.pauseMs);
    sim.kill();
    sim.waitForFinished();
    return run;
}

} // namespace tavro::bench
