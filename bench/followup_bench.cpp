// followup_bench DATABASE [RECORDS] [ROUNDS]: sends one dispensation batch of RECORDS (500) items
// of DATABASE to tavro-sim, one in ten with a product code the service rejects, then
// times the processing-result check and the inconsistency check of its protocol as
// the Processamento and Inconsistencia buttons run them. Then isql-fb runs the same
// UPDATE statements, with their two commits, as one script on a copy of the database in
// the state the checks started from, and the figures are printed side by side. Each of
// ROUNDS (3) rounds starts from a fresh copy; the median ratio ends the report, since a
// disk shared with other work makes single figures noisy.
#include "BatchSender.h"
#include "BenchSupport.h"

#include "db/Database.h"
#include "followup/ProtocolFollowup.h"
#include "service/SoapClient.h"
#include "transmission/StatusWrites.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <memory>

using namespace tavro;
using namespace tavro::bench;

namespace {

struct Item
{
    QString lancamento;
    QString item;
};

QList<Item> items(Database &db, int count)
{
    SqlCursor cursor = db.select(SqlStatement{
        QStringLiteral("select first %1 lancamento, item from itenssaidas order by lancamento, item").arg(count)});
    QList<Item> result;
    while (cursor.next())
        result.append({cursor.text(0), cursor.text(1)});
    cursor.close();
    return result;
}

// One round; returns the ratio of both checks to isql-fb, or a negative number when
// something failed.
double round(const QString &source, int count, QTextStream &out)
{
    QTemporaryDir dir;
    const QString programDb = dir.filePath(QStringLiteral("program.fdb"));
    const QString scriptDb = dir.filePath(QStringLiteral("script.fdb"));
    QFile::copy(source, programDb);
    QFile::setPermissions(programDb, QFile::ReadOwner | QFile::WriteOwner);

    QProcess sim;
    HttpTransport transport;
    ServiceSettings settings;
    settings.Servidor = startSim(sim, {QStringLiteral("--aguardando"), QStringLiteral("0")});
    SoapClient client(
        transport, settings, dir.filePath(QStringLiteral("Tavro")), [] { return QDateTime::currentDateTime(); },
        BenchLogin);

    QString protocolo, data;
    QList<Item> sent;
    {
        Database db;
        db.open(programDb);
        sent = items(db, count);
        QStringList keys, rejected;
        for (const Item &i : sent) {
            keys << i.lancamento + QLatin1Char('-') + i.item;
            if (keys.size() % 10 == 0)
                rejected << keys.last();
        }
        protocolo = test::BatchSender(db, client).send(Tipo::Dispensacao, keys, rejected);
        SqlCursor row = db.select(
            SqlStatement{QStringLiteral("select Data from TavroProtocolos where Protocolo = ") + sqlText(protocolo)});
        row.next();
        data = row.text(0);
        row.close();
        db.rollback();
    }
    QFile::copy(programDb, scriptDb);
    QFile::setPermissions(scriptDb, QFile::ReadOwner | QFile::WriteOwner);

    Database db;
    db.open(programDb);
    db.startTransaction();
    QStringList lines;
    ProtocolFollowup checks(db, client, [&lines](const QString &line) { lines << line; });
    QElapsedTimer clock;
    clock.start();
    const QString processed = checks.ProtocolosVerificarProcessamento(protocolo, data, Tipo::Dispensacao,
                                                                      QStringLiteral("Aguardando"), QString());
    const double processingMs = clock.nsecsElapsed() / 1e6;
    const SoapClient::Timings processingCall = client.lastTimings();
    clock.restart();
    const QString checked = checks.ProtocolosVerificarInconsistencia(protocolo, data, Tipo::Dispensacao, processed,
                                                                     QString());
    const double inconsistencyMs = clock.nsecsElapsed() / 1e6;
    const SoapClient::Timings inconsistencyCall = client.lastTimings();
    sim.kill();
    sim.waitForFinished();
    if (processed != QStringLiteral("Finalizado") || checked.isEmpty()) {
        out << "a check failed: " << checks.lastError() << "\n";
        return -1;
    }

    // The same statements, with the values the checks wrote, as one isql-fb script.
    QStringList script;
    QList<QStringList> reported;
    SqlCursor cursor = db.select(
        SqlStatement{QStringLiteral("select lancamento, item, TavroCoRegistro, TavroSituacao from itenssaidas where "
                                    "TavroProtocolo = ")
                     + sqlText(protocolo)});
    while (cursor.next()) {
        script << QStringLiteral("update itensSaidas set TavroCoRegistro=%1 where lancamento = %2 and item = %3 "
                                 "and tavroprotocolo = %4;")
                      .arg(sqlText(cursor.text(2)), cursor.text(0), cursor.text(1), sqlText(protocolo));
        if (cursor.text(3) != QStringLiteral("Ok"))
            reported << QStringList{cursor.text(0), cursor.text(1), cursor.text(2), cursor.text(3)};
    }
    cursor.close();
    db.rollback();
    const QString guard = QStringLiteral("(tavrosituacaoprioridade < %1 or tavrosituacaoprioridade is null)");
    script << QStringLiteral("update itensSaidas set TavroSituacao='Finalizado',TavroSituacaoPrioridade=20 "
                             "where tavroprotocolo = %1 and %2;")
                  .arg(sqlText(protocolo), guard.arg(20))
           << QStringLiteral("update TavroProtocolos set Situacao='Finalizado',SituacaoPrioridade=20 where protocolo "
                             "= %1 and (situacaoprioridade < 20 or situacaoprioridade is null);")
                  .arg(sqlText(protocolo))
           << QStringLiteral("commit;");
    for (const QStringList &r : reported)
        script << QStringLiteral("update itensSaidas set TavroSituacao=%1,TavroSituacaoPrioridade=30,"
                                 "TavroCoRegistro=%2 where lancamento = %3 and item = %4 and "
                                 "(tavrosituacaoprioridade <= 30 or tavrosituacaoprioridade is null);")
                      .arg(sqlText(r[3]), sqlText(r[2]), r[0], r[1]);
    script << QStringLiteral("update itensSaidas set TavroSituacao='Ok',TavroSituacaoPrioridade=40 "
                             "where tavroprotocolo = %1 and %2;")
                  .arg(sqlText(protocolo), guard.arg(30))
           << QStringLiteral("update TavroProtocolos set Situacao=%1,SituacaoPrioridade=30 where protocolo = %2 "
                             "and (situacaoprioridade < 30 or situacaoprioridade is null);")
                  .arg(sqlText(checked), sqlText(protocolo))
           << QStringLiteral("commit;");

    const IsqlRun isql = runIsqlScript(scriptDb, script);
    out << isql.errors;

    const double networkMs = processingCall.network + inconsistencyCall.network;
    const double checksMs = processingMs + inconsistencyMs;
    out << QStringLiteral("protocol of %1 records, %2 reported inconsistencies, %3 script statements\n")
               .arg(sent.size())
               .arg(reported.size())
               .arg(script.size());
    out << QStringLiteral("processing check:     %1 ms (transport %2 ms) -> %3\n")
               .arg(processingMs, 7, 'f', 1)
               .arg(processingCall.network, 6, 'f', 1)
               .arg(processed);
    out << QStringLiteral("inconsistency check:  %1 ms (transport %2 ms) -> %3\n")
               .arg(inconsistencyMs, 7, 'f', 1)
               .arg(inconsistencyCall.network, 6, 'f', 1)
               .arg(checked);
    out << QStringLiteral("both checks: %1 ms; without the network: %2 ms\n")
               .arg(checksMs, 0, 'f', 1)
               .arg(checksMs - networkMs, 0, 'f', 1);
    out << QStringLiteral("isql-fb, the same UPDATEs as one script: %1 ms\n").arg(isql.ms, 0, 'f', 1);
    out << QStringLiteral("ratio checks / isql-fb: %1 (without the network: %2)\n")
               .arg(checksMs / isql.ms, 0, 'f', 2)
               .arg((checksMs - networkMs) / isql.ms, 0, 'f', 2);
    return isql.exitCode == 0 ? checksMs / isql.ms : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = benchArguments("followup_bench DATABASE [RECORDS] [ROUNDS]", 2);
    if (args.isEmpty())
        return 2;
    const int count = args.value(1, QStringLiteral("500")).toInt();
    const int rounds = args.value(2, QStringLiteral("3")).toInt();
    QTextStream out(stdout);
    std::vector<double> ratios;
    for (int r = 0; r < rounds; ++r) {
        out << "round " << r + 1 << "\n";
        const double ratio = round(args.at(0), count, out);
        if (ratio < 0)
            return 1;
        ratios.push_back(ratio);
        out << "\n";
    }
    std::sort(ratios.begin(), ratios.end());
    out << QStringLiteral("median ratio checks / isql-fb over %1 rounds: %2\n")
               .arg(rounds)
               .arg(ratios[ratios.size() / 2], 0, 'f', 2);
    return 0;
}
