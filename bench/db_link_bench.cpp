// db_link_bench DATABASE [SERVER_PORT]: tavro-cli against the Firebird server on 127.0.0.1
// (port 3050 unless given) through a relay that delays each direction of the database's
// connection, tavro-sim as the service. On copies of DATABASE (the large benchmark database) it
// times `listar estoque` of 28/02/2019 (20,000 positions), `transmitir estoque` of 1, 2 and 20
// batches of 500, and `situacao --ano 2019`, with the database round trip local, 10 ms and
// 40 ms, and counts the request-answer exchanges the relay saw for each. From the runs of 1 and
// 20 batches it prints the round trips a batch costs, the time a batch takes at 40 ms against
// the local one, and the round trips of a run's start (what a send of one batch costs beyond
// the batch itself: the login, the list, the resolution before the run). Asserts nothing.

#include "BenchSupport.h"
#include "ConfigFile.h"
#include "NetworkBench.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <map>

using namespace tavro;

namespace {

const QString StockDay = QStringLiteral("28/02/2019");
constexpr int BatchRecords = 500;
constexpr int ManyBatches = 20;

struct Measure
{
    double seconds = 0;
    int exchanges = 0;
    int exitCode = -1;
};

// One verb of tavro-cli on a fresh copy of the database, reached through `relay`.
class LinkRun
{
public:
    LinkRun(const QString &database, const QString &folder, const QString &origin)
        : m_database(database)
        , m_folder(folder)
        , m_origin(origin)
    {
    }

    Measure run(bench::DelayRelay &relay, const QString &name, const QStringList &verb)
    {
        const QString work = m_folder + QLatin1Char('/') + name;
        QDir().mkpath(work);
        // A copy of the program per run: its log folder, beside it, is the run's alone.
        const QString program = work + QStringLiteral("/tavro-cli");
        QFile::copy(QStringLiteral(TAVRO_CLI), program);
        const QStringList copies = bench::copyDatabase(m_database, work, {QStringLiteral("link.fdb")});
        if (copies.isEmpty())
            return {};
        test::ConfigFile config{QStringLiteral("127.0.0.1/%1:%2").arg(relay.port()).arg(copies.first())};
        config.tavro = QStringList{QStringLiteral("Servidor=") + m_origin,
                                   QStringLiteral("Namespace=http://tavro.example"), QStringLiteral("TempoLimite=120")};
        const QString ini = test::writeConfig(work + QStringLiteral("/config.ini"), config);
        QProcess cli;
        cli.setStandardOutputFile(work + QStringLiteral("/out.log"));
        cli.setStandardErrorFile(work + QStringLiteral("/err.log"));
        const int before = relay.exchanges();
        QElapsedTimer clock;
        clock.start();
        cli.start(program, QStringList{"--config", ini, "--usuario", "FARMACIA"} + verb);
        cli.waitForFinished(-1);
        Measure measure;
        measure.seconds = clock.nsecsElapsed() / 1e9;
        measure.exchanges = relay.exchanges() - before;
        measure.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
        return measure;
    }

private:
    QString m_database;
    QString m_folder;
    QString m_origin;
};

QStringList sendBatches(int batches)
{
    return {"transmitir", "estoque",
            "--dia",      StockDay,
            "--lote",     QString::number(BatchRecords),
            "--vezes",    QString::number(batches)};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = bench::benchArguments("db_link_bench DATABASE [SERVER_PORT]", 1);
    if (args.isEmpty())
        return 2;
    const quint16 serverPort = quint16(args.value(1, QStringLiteral("3050")).toUInt());
    QTextStream out(stdout);
    QTemporaryDir dir;
    QProcess sim;
    const QString origin = bench::startSim(sim);
    qputenv("TAVRO_SENHA", "tavro2019");
    LinkRun link(args.at(0), dir.path(), origin);

    const QList<std::pair<QString, QStringList>> verbs{
        {QStringLiteral("listar estoque"), {"listar", "estoque", "--dia", StockDay}},
        {QStringLiteral("transmitir 1 lote"), sendBatches(1)},
        {QStringLiteral("transmitir 2 lotes"), sendBatches(2)},
        {QStringLiteral("situacao --ano 2019"), {"situacao", "--ano", "2019"}},
    };
    out << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(QStringLiteral("database round trip"), -20)
               .arg(QStringLiteral("verb"), -24)
               .arg(QStringLiteral("seconds"), 9)
               .arg(QStringLiteral("exchanges"), 10)
               .arg(QStringLiteral("exit"), 5);
    std::map<int, std::pair<Measure, Measure>> oneAndMany; // by delay: 1 batch, ManyBatches
    for (const int roundTripMs : {0, 10, 40}) {
        bench::DelayRelay relay(serverPort, roundTripMs / 2);
        const QString delay = roundTripMs == 0 ? QStringLiteral("local") : QStringLiteral("%1 ms").arg(roundTripMs);
        const auto print = [&](const QString &verb, const Measure &m) {
            out << QStringLiteral("%1 %2 %3 %4 %5\n")
                       .arg(delay, -20)
                       .arg(verb, -24)
                       .arg(m.seconds, 9, 'f', 2)
                       .arg(m.exchanges, 10)
                       .arg(m.exitCode, 5);
            out.flush();
        };
        for (const auto &[verb, arguments] : verbs) {
            const Measure m = link.run(relay, QStringLiteral("%1-%2").arg(roundTripMs).arg(verb), arguments);
            print(verb, m);
            if (arguments == sendBatches(1))
                oneAndMany[roundTripMs].first = m;
        }
        if (roundTripMs != 10) {
            const Measure many = link.run(relay, QStringLiteral("%1-many").arg(roundTripMs), sendBatches(ManyBatches));
            print(QStringLiteral("transmitir %1 lotes").arg(ManyBatches), many);
            oneAndMany[roundTripMs].second = many;
        }
    }
    sim.kill();
    sim.waitForFinished();

    // A batch: what the runs of ManyBatches batches cost beyond the run of one.
    const auto perBatch = [&](int roundTripMs, auto field) {
        const auto &[one, many] = oneAndMany.at(roundTripMs);
        return (field(many) - field(one)) / (ManyBatches - 1);
    };
    const auto exchanges = [](const Measure &m) { return double(m.exchanges); };
    const auto seconds = [](const Measure &m) { return m.seconds; };
    const double tripsPerBatch = perBatch(40, exchanges);
    out << QStringLiteral("database round trips per batch: %1\n").arg(tripsPerBatch, 0, 'f', 1);
    out << QStringLiteral("batch at 40 ms database round trip / local: %1\n")
               .arg(perBatch(40, seconds) / perBatch(0, seconds), 0, 'f', 2);
    out << QStringLiteral("batch seconds: local %1, 40 ms %2\n")
               .arg(perBatch(0, seconds), 0, 'f', 3)
               .arg(perBatch(40, seconds), 0, 'f', 3);
    out << QStringLiteral("run start round trips: %1\n")
               .arg(oneAndMany.at(40).first.exchanges - tripsPerBatch, 0, 'f', 1);
    return 0;
}
