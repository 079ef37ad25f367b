// transmit_bench DATABASE [BATCHES]: sends the stock positions of 28/02/2019 (the large
// benchmark database has 20,000) to tavro-sim on 127.0.0.1 in batches of 500, as the
// stock button does, and prints per batch the time spent taking and building the
// records, writing the request, in the network, reading the answer, and marking the
// records with the registry row. Then isql-fb runs the same statements in the same two
// commits per batch (the write-ahead, then the answer) as one script on a second copy, for
// comparison with the marking, and bare prepared Qt queries run them on a third: the floor
// that the database and its driver set for the marking, whatever the program around them
// does. Per batch the claim
// (the records locked and their values read before the batch leaves), the write-ahead (the
// provisional registry row and the records marked "Enviando", one commit) and the marking
// (the service's protocol put on them, one commit) are printed side by side; the marking a
// batch costs is its write-ahead and its final marking together.
// Last, the resolution that runs before every run reads a log folder of 10,000 logs that
// belong to no batch of this database (it opens none of them).
#include "BenchSupport.h"
#include "NetworkBench.h"

#include "common/Status.h"
#include "db/Database.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/SoapClient.h"
#include "transmission/EstoqueTransmission.h"
#include "transmission/ProtocolRecovery.h"
#include "transmission/Transmission.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <tuple>

using namespace tavro;
using namespace tavro::bench;

namespace {

using BatchRows = QList<std::tuple<int, int, QString>>; // lancamento, codproduto, lote

// A batch as the program marked it: the provisional protocol it was written ahead with, the
// protocol and date the service answered, and its records' keys.
struct MarkedBatch
{
    QString provisorio, protocolo, data;
    BatchRows rows;
};

const QString StockDay = QStringLiteral("'2019-02-28'");
const QString StockKey = QStringLiteral(" where codunidade = (select u.codunidade from conciliacao u where "
                                        "u.lancamento = %1) and codproduto = %2 and data = %3 and lote = %4");

// A connection of its own through the Qt driver, with nothing of the program around it.
QSqlDatabase bareConnection(const QString &name, const QString &database)
{
    QSqlDatabase bare = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), name);
    bare.setDatabaseName(database);
    bare.setUserName(QStringLiteral("SYSDBA"));
    bare.setPassword(QStringLiteral("plumtrove"));
    bare.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
    bare.open();
    return bare;
}

// The statements of the program's two commits per batch, as literals: the write-ahead (the
// provisional registry row, each record marked "Enviando" by its key) and the answer (the
// registry row and the records moved from the provisional protocol to the service's).
QStringList markingScript(const QList<MarkedBatch> &marked)
{
    const QString enviando = QString::number(PrioridadeSituacao(Situacao::Enviando));
    const QString aguardando = QString::number(PrioridadeSituacao(Situacao::Aguardando));
    const QString today = sqlText(QDate::currentDate().toString(Qt::ISODate));
    QStringList script;
    for (const MarkedBatch &batch : marked) {
        const QString provisorio = sqlText(batch.provisorio);
        script << QStringLiteral("insert into TavroProtocolos(Protocolo,Data,DataLancamento,Situacao,"
                                 "SituacaoPrioridade,Tipo,cnes) values(%1,%2,%3,'Enviando',%4,'Estoque','2345678');")
                      .arg(provisorio, sqlText(batch.data), today, enviando);
        for (const auto &[lancamento, codproduto, lote] : batch.rows)
            script << QStringLiteral("update conciliacao set TavroProtocolo=%1,TavroData=%2,TavroSituacao='Enviando',"
                                     "TavroSituacaoPrioridade=%3")
                          .arg(provisorio, sqlText(batch.data), enviando)
                    + StockKey.arg(lancamento).arg(codproduto).arg(StockDay, sqlText(lote)) + QLatin1Char(';');
        script << QStringLiteral("commit;")
               << QStringLiteral("update TavroProtocolos set Protocolo=%1,Data=%2,Situacao='Aguardando',"
                                 "SituacaoPrioridade=%3 where Protocolo=%4;")
                      .arg(sqlText(batch.protocolo), sqlText(batch.data), aguardando, provisorio)
               << QStringLiteral("update conciliacao set TavroProtocolo=%1,TavroData=%2,TavroSituacao='Aguardando',"
                                 "TavroSituacaoPrioridade=%3 where TavroProtocolo=%4;")
                      .arg(sqlText(batch.protocolo), sqlText(batch.data), aguardando, provisorio)
               << QStringLiteral("commit;");
    }
    return script;
}

struct BareMarking
{
    double aheadMs = 0;
    double finalMs = 0;
};

// The same two commits per batch through bare prepared Qt queries: the floor that the database
// and its driver set for marking a batch, whatever the program around them does.
BareMarking bareMarking(const QString &database, const QList<MarkedBatch> &marked)
{
    // A query of the driver belongs to the transaction open when it is prepared.
    const auto run = [](QSqlQuery &query, const QVariantList &values) {
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (!query.exec())
            qFatal("%s", qPrintable(query.lastError().text()));
    };
    const QVariant enviando = PrioridadeSituacao(Situacao::Enviando);
    const QVariant aguardando = PrioridadeSituacao(Situacao::Aguardando);
    BareMarking ms;
    {
        QSqlDatabase bare = bareConnection(QStringLiteral("bare"), database);
        QElapsedTimer clock;
        for (const MarkedBatch &batch : marked) {
            clock.start();
            bare.transaction();
            {
                QSqlQuery insert(bare), ahead(bare);
                insert.prepare(QStringLiteral("insert into TavroProtocolos(Protocolo,Data,DataLancamento,Situacao,"
                                              "SituacaoPrioridade,Tipo,cnes) values(?,?,?,?,?,'Estoque','2345678')"));
                ahead.prepare(
                    QStringLiteral("update conciliacao set TavroProtocolo=?,TavroData=?,TavroSituacao=?,"
                                   "TavroSituacaoPrioridade=?")
                    + StockKey.arg(QStringLiteral("?"), QStringLiteral("?"), QStringLiteral("?"), QStringLiteral("?")));
                run(insert, {batch.provisorio, batch.data, QDate::currentDate(), Situacao::Enviando, enviando});
                for (const auto &[lancamento, codproduto, lote] : batch.rows)
                    run(ahead,
                        {batch.provisorio, batch.data, Situacao::Enviando, enviando, lancamento, codproduto,
                         QDate(2019, 2, 28), lote});
            }
            bare.commit();
            ms.aheadMs += clock.nsecsElapsed() / 1e6;
            clock.start();
            bare.transaction();
            {
                QSqlQuery registry(bare), answer(bare);
                registry.prepare(QStringLiteral("update TavroProtocolos set Protocolo=?,Data=?,Situacao=?,"
                                                "SituacaoPrioridade=? where Protocolo=?"));
                answer.prepare(QStringLiteral("update conciliacao set TavroProtocolo=?,TavroData=?,TavroSituacao=?,"
                                              "TavroSituacaoPrioridade=? where TavroProtocolo=?"));
                for (QSqlQuery *query : {&registry, &answer}) {
                    run(*query, {batch.protocolo, batch.data, Situacao::Aguardando, aguardando, batch.provisorio});
                }
            }
            bare.commit();
            ms.finalMs += clock.nsecsElapsed() / 1e6;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bare"));
    return ms;
}

// The claim's statement (each record locked while it still shows no protocol) through a bare
// prepared Qt query, one transaction per batch: the floor that the database sets for the claim.
double bareClaimMs(const QString &database, const QList<BatchRows> &batches)
{
    double ms = 0;
    {
        QSqlDatabase bare = bareConnection(QStringLiteral("bareclaim"), database);
        QElapsedTimer clock;
        clock.start();
        for (const BatchRows &rows : batches) {
            bare.transaction();
            QSqlQuery claim(bare);
            claim.prepare(QStringLiteral(
                "select TavroProtocolo, TavroData, TavroSituacao from conciliacao where codunidade = (select "
                "u.codunidade from conciliacao u where u.lancamento = ?) and codproduto = ? and data = ? and lote = ? "
                "and coalesce(TavroProtocolo, '') = '' and coalesce(TavroSituacao, '') = '' with lock"));
            for (const auto &[lancamento, codproduto, lote] : rows) {
                claim.bindValue(0, lancamento);
                claim.bindValue(1, codproduto);
                claim.bindValue(2, QDate(2019, 2, 28));
                claim.bindValue(3, lote);
                claim.exec();
                claim.next();
            }
            claim = QSqlQuery();
            bare.commit();
        }
        ms = clock.nsecsElapsed() / 1e6;
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bareclaim"));
    return ms;
}

// The network next to curl: direct, through 40 ms of round trip, over TLS; then the batches next
// to their floor (curl's posts, the bare marking and the bare claim).
void printNetworkFigures(const QString &database, const QString &folder, int batches, double batchesMs,
                         double bareMarkingMs, double bareClaimingMs, QTextStream &out)
{
    const NetworkRun direct = compareNetwork(database, folder + QStringLiteral("/direct"), batches, false, 0, out);
    const NetworkRun delayed = compareNetwork(database, folder + QStringLiteral("/delayed"), batches, false, 40, out);
    const NetworkRun tls = compareNetwork(database, folder + QStringLiteral("/tls"), batches, true, 0, out);
    out << QStringLiteral("\nnetwork of %1 batches (description and post of each), program / curl over one kept-alive "
                          "connection:\n")
               .arg(batches);
    for (const auto &[name, run] : {std::pair{"direct", direct}, {"40 ms round trip", delayed}, {"TLS", tls}})
        out << QStringLiteral("  %1: %2 ms / %3 ms, %4 connection(s); the program's transport sending the same "
                              "requests back to back as curl does: %5 ms; and pausing %6 ms before each batch, "
                              "as the program's work between its batches does: %7 ms\n")
                   .arg(QLatin1String(name))
                   .arg(run.programMs, 0, 'f', 1)
                   .arg(run.curlMs, 0, 'f', 1)
                   .arg(run.connections)
                   .arg(run.replayMs, 0, 'f', 1)
                   .arg(run.pauseMs, 0, 'f', 0)
                   .arg(run.pausedReplayMs, 0, 'f', 1);
    const double floor = direct.curlMs + bareMarkingMs + bareClaimingMs;
    out << QStringLiteral("floor: curl %1 ms + bare marking %2 ms + bare claim %3 ms = %4 ms; the batches took %5 ms\n")
               .arg(direct.curlMs, 0, 'f', 1)
               .arg(bareMarkingMs, 0, 'f', 1)
               .arg(bareClaimingMs, 0, 'f', 1)
               .arg(floor, 0, 'f', 1)
               .arg(batchesMs, 0, 'f', 1);
    out << QStringLiteral("network / curl: %1\n").arg(direct.programMs / direct.curlMs, 0, 'f', 2);
    out << QStringLiteral("network / curl, 40 ms round trip: %1\n").arg(delayed.programMs / delayed.curlMs, 0, 'f', 2);
    out << QStringLiteral("TLS handshakes, %1 batches: %2\n").arg(batches).arg(tls.connections);
    out << QStringLiteral("batches / floor: %1\n").arg(batchesMs / floor, 0, 'f', 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = benchArguments("transmit_bench DATABASE [BATCHES]", 1);
    if (args.isEmpty())
        return 2;
    const int batches = args.value(1, QStringLiteral("20")).toInt();
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QStringList copies = copyDatabase(args.at(0), dir.path(),
                                            {"program.fdb", "script.fdb", "bare.fdb", "claim.fdb"});
    if (copies.isEmpty())
        return 1;
    const QString programDb = copies.at(0);
    const QString scriptDb = copies.at(1);
    const QString bareDb = copies.at(2);
    const QString claimDb = copies.at(3);

    QProcess sim;
    HttpTransport transport;
    ServiceSettings settings;
    settings.Servidor = startSim(sim);
    SoapClient client(
        transport, settings, dir.filePath(QStringLiteral("Tavro")), [] { return QDateTime::currentDateTime(); },
        BenchLogin);

    Database db;
    db.open(programDb);
    const std::unique_ptr<RecordList> list = benchStockList(db);
    out << "stock rows listed: " << list->rowCount() << "\n";

    TransmissionInput input{
        QStringLiteral("2345678"), QStringLiteral("3550308"), QStringLiteral("28/02/2019"), QString(), 500,
        QDate::currentDate()};
    EstoqueTransmission kind;
    out << "batch  records  build_ms  claim_ms  ahead_ms  write_ms  network_ms  read_ms  mark_ms  total_ms  own_work\n";
    double totalMark = 0, totalClaim = 0, totalAhead = 0, totalAll = 0, totalNetwork = 0, totalPosting = 0;
    int sentBatches = 0;
    QList<MarkedBatch> marked;
    for (int b = 0; b < batches; ++b) {
        RunReport report;
        QElapsedTimer clock;
        clock.start();
        const RunResult result = transmitOnce(db, client, kind, *list, input, report);
        const double total = clock.nsecsElapsed() / 1e6;
        if (result.end != RunResult::End::Sent) {
            out << "run " << b + 1 << " ended with: " << result.text() << "\n";
            break;
        }
        const SoapClient::Timings &t = client.lastTimings();
        totalMark += report.writingAheadMs + report.markingMs;
        totalAhead += report.writingAheadMs;
        totalPosting += report.postingMs;
        totalClaim += report.claimingMs;
        ++sentBatches;
        totalAll += total;
        totalNetwork += t.network;
        out << QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8  %9  %10  %11%\n")
                   .arg(b + 1, 5)
                   .arg(500, 7)
                   .arg(report.buildingMs, 8, 'f', 1)
                   .arg(report.claimingMs, 8, 'f', 1)
                   .arg(report.writingAheadMs, 8, 'f', 1)
                   .arg(t.writing, 8, 'f', 1)
                   .arg(t.network, 10, 'f', 1)
                   .arg(t.reading, 7, 'f', 1)
                   .arg(report.markingMs, 7, 'f', 1)
                   .arg(total, 8, 'f', 1)
                   .arg(100.0 * (total - t.network) / total, 7, 'f', 1);
        const QString protocolo = report.retornos->value(0);
        const QString data = report.retornos->value(1);
        marked.append({QStringLiteral("ENVbench-%1").arg(b + 1), protocolo, data, {}});
        for (int row = 0; row < list->rowCount(); ++row) {
            if (list->subCell(row, EstoqueCell::Protocolo) == protocolo)
                marked.last().rows.append({list->caption(row).toInt(), list->subCell(row, EstoqueCell::Codigo).toInt(),
                                           list->subCell(row, EstoqueCell::Lote)});
        }
    }
    sim.kill();
    sim.waitForFinished();

    const IsqlRun isql = runIsqlScript(scriptDb, markingScript(marked));
    const BareMarking bare = bareMarking(bareDb, marked);
    const double bareMs = bare.aheadMs + bare.finalMs;
    QList<BatchRows> claimedRows;
    for (const MarkedBatch &batch : marked)
        claimedRows.append(batch.rows);
    const double bareClaimingMs = bareClaimMs(claimDb, claimedRows);

    out << QStringLiteral("\nall batches: %1 ms, of which network %2 ms; program's own work %3%\n")
               .arg(totalAll, 0, 'f', 1)
               .arg(totalNetwork, 0, 'f', 1)
               .arg(100.0 * (totalAll - totalNetwork) / totalAll, 0, 'f', 1);
    out << QStringLiteral("marking by the program: %1 ms; the same statements through isql-fb: %2 ms; ratio %3\n")
               .arg(totalMark, 0, 'f', 1)
               .arg(isql.ms, 0, 'f', 1)
               .arg(totalMark / isql.ms, 0, 'f', 2);
    out << QStringLiteral(
               "the same statements through a bare prepared Qt query: %1 ms; the program's marking is %2 times that\n")
               .arg(bareMs, 0, 'f', 1)
               .arg(totalMark / bareMs, 0, 'f', 2);
    out << QStringLiteral("the bare queries per batch of 500: write-ahead %1 ms; final marking %2 ms\n")
               .arg(bare.aheadMs / marked.size(), 0, 'f', 1)
               .arg(bare.finalMs / marked.size(), 0, 'f', 1);
    out << QStringLiteral("floor of the program's own work, with the bare marking and no other work: %1%\n")
               .arg(100.0 * bareMs / (bareMs + totalNetwork), 0, 'f', 1);
    if (sentBatches > 0) {
        out << QStringLiteral("per batch of 500: claim %1 ms; write-ahead %2 ms; final marking %3 ms\n")
                   .arg(totalClaim / sentBatches, 0, 'f', 1)
                   .arg(totalAhead / sentBatches, 0, 'f', 1)
                   .arg((totalMark - totalAhead) / sentBatches, 0, 'f', 1);
        // "Enviando" committed once the request's log is on the disk, before the post.
        out << QStringLiteral("second commit per batch: %1 ms\n").arg(totalPosting / sentBatches, 0, 'f', 1);
        out << QStringLiteral("claim / marking: %1\n").arg(totalClaim / totalMark, 0, 'f', 2);
    }

    printNetworkFigures(args.at(0), dir.filePath(QStringLiteral("network")), batches, totalAll, bareMs, bareClaimingMs,
                        out);

    // A folder of 10,000 logs of other batches: the resolution looks only for the names its own
    // provisional rows give, so their number costs nothing.
    const QDir logs(dir.filePath(QStringLiteral("Tavro")));
    const QStringList answers = logs.entryList({QStringLiteral("*_res.xml")}, QDir::Files, QDir::Name);
    if (answers.isEmpty())
        return isql.exitCode;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    QDir().mkpath(folder);
    for (int n = 0; n < 5000; ++n) {
        const QString copy = QStringLiteral("%1/2026_01_01_00_00_00_%2").arg(folder).arg(n + 2);
        QFile::copy(logs.filePath(answers.first()), copy + QStringLiteral("_res.xml"));
        QFile::copy(logs.filePath(answers.first().chopped(8) + QStringLiteral("_req.xml")),
                    copy + QStringLiteral("_req.xml"));
    }
    QElapsedTimer clock;
    clock.start();
    const RecoveryReport report = resolveProvisionalBatches(db, folder, unansweredAfterSeconds(120));
    out << QStringLiteral(
               "resolution before a run, 10,000 other logs in the folder: %1 ms, %2 recovered, %3 failures\n")
               .arg(clock.nsecsElapsed() / 1e6, 0, 'f', 1)
               .arg(report.recovered.size())
               .arg(report.failures.size());
    return isql.exitCode;
}
