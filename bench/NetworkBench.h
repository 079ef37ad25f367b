#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QTextStream;

namespace tavro {
class Database;
class RecordList;
} // namespace tavro

namespace tavro::bench {

// The benchmarks' stock list: the positions of 28/02/2019 of unit 2345678, as the stock tab
// lists them.
std::unique_ptr<RecordList> benchStockList(Database &db);

// A TCP relay on 127.0.0.1, in a thread of its own, to the local port `target`: every chunk
// waits `delayMs` before it goes on, in each direction, so a round trip takes 2 x `delayMs`
// more. It counts the connections it relays, and the exchanges on them: an exchange begins
// when the client speaks first or again after the server's answer, so a request and its answer
// count one however many chunks carry them.
class DelayRelay
{
public:
    DelayRelay(quint16 target, int delayMs);
    ~DelayRelay();
    quint16 port() const;
    int connections() const;
    int exchanges() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// What the program's transport and curl did with the same batches.
struct NetworkRun
{
    double programMs = 0; // the program's network time: description and post of every batch
    double curlMs = 0;    // curl's transfers of the same requests
    double replayMs = 0;  // the program's transport sending them back to back, as curl does
    // The same, pausing before each batch as long as the program's own work took between its
    // batches, with the pauses not counted.
    double pausedReplayMs = 0;
    double pauseMs = 0;  // the program's mean work between one batch's network and the next's
    int connections = 0; // connections the service (or the relay) saw from the program
};

// Sends `batches` stock batches of 500 of 28/02/2019 from a fresh copy of `database` to
// tavro-sim (over TLS when `tls`, through a DelayRelay of `delayMs` when positive), as the stock
// button does; then posts the logged request bytes of every batch, each after a read of the
// description, with one curl process over one kept-alive connection to the same service, and
// takes curl's own times of its transfers; last the program's transport sends them the same way.
NetworkRun compareNetwork(const QString &database, const QString &folder, int batches, bool tls, int delayMs,
                          QTextStream &out);

// The program's transport alone, as curl below: the description then the post of each request
// logged in `logFolder`, to `origin`, on one transport, timing the transfers only; with
// `pauseMs`, it waits that long before each batch.
double replayMs(const QString &origin, const QString &logFolder, double pauseMs = 0);

// curl's transfers alone: the description then the post of each request logged in
// `logFolder`, to `origin`, with one curl process (--next).
double curlTransfersMs(const QString &origin, const QString &logFolder, const QString &workFolder);

} // namespace tavro::bench
