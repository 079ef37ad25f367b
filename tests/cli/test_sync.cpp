#include "CliFixture.h"
#include "FileMode.h"

#include "sync/SyncSummary.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>

#include <tuple>

using namespace tavro::test;

namespace {

const QString NotFinal = QStringLiteral(
    "select count(*) from TavroProtocolos where Situacao not in ('Ok', 'Ok (Inc.)', 'Inconsistência', 'Não enviado')");

// `sincronizar` against tavro-sim, checked by the test's own queries.
class CliSync : public CliFollowup
{
protected:
    QString jsonPath() const { return fixture.folder() + QStringLiteral("/noite.json"); }
    tavro::SyncSummary summary() const
    {
        QFile file(jsonPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        tavro::SyncSummary result;
        EXPECT_TRUE(tavro::summaryFromJson(file.readAll(), result));
        return result;
    }
    static const tavro::KindSummary &kind(const tavro::SyncSummary &s, const QString &name)
    {
        for (const tavro::KindSummary &k : s.kinds) {
            if (k.name == name)
                return k;
        }
        ADD_FAILURE() << "no kind " << name.toStdString();
        static const tavro::KindSummary none;
        return none;
    }
    int count(const QString &sql) const { return fixture.scalar(sql).toInt(); }
    // Records sent under protocols of a registry kind.
    int sentAs(const QString &table, const QString &tipo) const
    {
        return count(QStringLiteral("select count(*) from %1 r join TavroProtocolos p "
                                    "on p.Protocolo = r.TavroProtocolo where p.Tipo = '%2'")
                         .arg(table, tipo));
    }
    QString runLogPath() const { return dataFolder() + QStringLiteral("/sincronizar.log"); }
    qint64 runLogSize() const { return QFileInfo(runLogPath()).size(); }
    QString runLogSince(qint64 size) const
    {
        QFile file(runLogPath());
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        file.seek(size);
        return QString::fromUtf8(file.readAll());
    }
    int requestsOf(const QStringList &requests, const QString &operation) const
    {
        return int(requests.filter(QStringLiteral("/") + operation + QLatin1Char('"')).size());
    }
};

} // namespace

TEST_F(CliSync, NightWithEveryKindPendingSendsEverythingAndFollowsEveryProtocolUp)
{
    // A status outside the vocabulary is sent like a record never sent.
    fixture.exec("update itensentradas set TavroSituacao = 'Rejeitado' where lancamento = 1001 and item = 1");
    startSim({"--aguardando", "2"});
    const qint64 logBefore = runLogSize();
    const QString tablesQuery = "select list(trim(rdb$relation_name)) from rdb$relations";
    const QString tables = fixture.scalar(tablesQuery);

    const CliRun r = verb({"sincronizar", "--vezes", "3", "--json", jsonPath()});
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("CONCLUÍDA"))) << r.out.toStdString();
    const tavro::SyncSummary s = summary();
    EXPECT_FALSE(s.failed());

    // What the summary says was sent is what the database holds as sent, per kind.
    EXPECT_EQ(kind(s, "estoque").sent, count("select count(*) from conciliacao where TavroProtocolo is not null"));
    EXPECT_EQ(kind(s, "estoque").sent, sentAs("conciliacao", "Estoque"));
    EXPECT_EQ(kind(s, "estoque").lists, 3); // the three stock days of January
    EXPECT_EQ(kind(s, "entradas").sent, sentAs("itensentradas", "Entrada"));
    EXPECT_EQ(kind(s, "saidas").sent, sentAs("itenssaidas", "Saída"));
    EXPECT_EQ(kind(s, "dispensacoes").sent + kind(s, "sem-cartao").sent, sentAs("itenssaidas", "Dispensação"));
    int batches = 0;
    for (const tavro::KindSummary &k : s.kinds) {
        EXPECT_GT(k.sent, 0) << k.name.toStdString();
        EXPECT_TRUE(k.failures.isEmpty()) << k.name.toStdString();
        batches += k.batches;
    }
    EXPECT_EQ(batches, count("select count(*) from TavroProtocolos where Situacao <> 'Não enviado'"));
    EXPECT_EQ(fixture.scalar("select TavroSituacao from itensentradas where lancamento = 1001 and item = 1"), "Ok");

    // Refused: the listed records with a catalogue code that are still unsent.
    const tavro::KindSummary &entradas = kind(s, "entradas");
    EXPECT_EQ(entradas.refused,
              count("select count(*) from itensentradas ie join produtos p on p.codigo = ie.codproduto "
                    "where ie.codunidade = 1 and p.codigotavro <> '' and ie.TavroProtocolo is null"));
    EXPECT_GT(entradas.refused, 0);
    EXPECT_FALSE(entradas.messages.isEmpty());
    EXPECT_TRUE(r.out.contains(entradas.messages.first())) << r.out.toStdString();
    // What is left, counted by what to fix, as the registration list groups it.
    const auto fixes = std::find_if(s.pendencias.cbegin(), s.pendencias.cend(), [](const auto &group) {
        return group.first == QStringLiteral("Lote sem fabricante");
    });
    ASSERT_NE(fixes, s.pendencias.cend());
    EXPECT_GT(fixes->second, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Pendências de cadastro: ")
                               + QStringLiteral("%1 %2").arg(fixes->first).arg(fixes->second)))
        << r.out.toStdString();

    // Every protocol reached a final status after the calls the substitute needs: two
    // waiting answers and a finished one, then the inconsistencies.
    EXPECT_EQ(count(NotFinal), 0);
    int checked = 0;
    for (const tavro::FollowupSummary &f : s.followup) {
        checked += f.checked;
        EXPECT_EQ(f.waiting, 0) << f.tipo.toStdString();
    }
    EXPECT_EQ(checked, batches);
    const QStringList requests = sim->requests();
    EXPECT_EQ(requestsOf(requests, "consultarResultadoProcessamento"), 3 * batches);
    EXPECT_EQ(requestsOf(requests, "consultarInconsistencias"), batches);

    const QString log = runLogSince(logBefore);
    EXPECT_TRUE(log.contains(QStringLiteral("início: unidade 1, CNES 2345678"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("fim, concluída"))) << log.toStdString();

    // The next night finds nothing to send and nothing to check.
    const CliRun again = verb({"sincronizar"});
    EXPECT_EQ(again.exitCode, 0) << again.out.toStdString();
    EXPECT_EQ(sim->requests().filter(QStringLiteral("POST")).size(), 0);
    // The product's database keeps its own tables: the nights created none.
    EXPECT_EQ(fixture.scalar(tablesQuery), tables);
}

// Whatever the umask, the night leaves nothing another account may read in the data folder
// it makes: logs, summary, run log and every folder on the way.
TEST_F(CliSync, NightLeavesNothingForOtherAccountsWhateverTheUmask)
{
    startSim({"--aguardando", "0"});
    const QString data = fixture.folder() + QStringLiteral("/var/lib/tavro");
    addConfigKeys({QStringLiteral("PastaDados=") + data});

    const mode_t previous = ::umask(0);
    const CliRun r = verb({"sincronizar", "--tipos", "estoque", "--vezes", "1"});
    ::umask(previous);
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();

    EXPECT_TRUE(QFileInfo::exists(data + QStringLiteral("/sincronizar-ultimo.json")));
    EXPECT_TRUE(QFileInfo::exists(data + QStringLiteral("/sincronizar.log")));
    EXPECT_FALSE(QDir(data + QStringLiteral("/Tavro")).entryList({QStringLiteral("*_req.xml")}).isEmpty());
    int files = 0;
    QDirIterator it(fixture.folder() + QStringLiteral("/var"), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files += it.fileInfo().isFile();
        EXPECT_EQ(modeOf(path), it.fileInfo().isDir() ? mode_t(02770) : mode_t(0660)) << path.toStdString();
    }
    EXPECT_GT(files, 4);
}

TEST_F(CliSync, FailingCallAndRefusedRowsExitOneAndStillReportWhatWasSent)
{
    startSim({"--falhas", "1", "--falha-status", "503", "--falha-texto", "Service Unavailable"});
    const CliRun r = verb({"sincronizar", "--json", jsonPath()});
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("COM FALHAS"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Falha no envio de estoque, 29/01/2019: "))) << r.out.toStdString();

    const tavro::SyncSummary s = summary();
    EXPECT_TRUE(s.failed());
    const tavro::KindSummary &estoque = kind(s, "estoque");
    ASSERT_EQ(estoque.failures.size(), 1);
    EXPECT_EQ(estoque.pending, 9); // the failed day's positions wait for the next night
    EXPECT_EQ(estoque.batches, 2);
    // Nothing half-done: the failed day holds no mark, and every batch has its registry row.
    EXPECT_EQ(count("select count(*) from conciliacao where data = '2019-01-29' and TavroSituacao is not null"), 0);
    EXPECT_EQ(estoque.sent, sentAs("conciliacao", "Estoque"));
    int batches = 0;
    for (const tavro::KindSummary &k : s.kinds)
        batches += k.batches;
    EXPECT_EQ(batches, count("select count(*) from TavroProtocolos where Situacao <> 'Não enviado'"));
    EXPECT_GT(kind(s, "entradas").refused, 0);
    EXPECT_GT(kind(s, "dispensacoes").sent, 0);
    EXPECT_EQ(count(NotFinal), 0);

    // The next night sends the day that failed.
    const CliRun next = verb({"sincronizar", "--json", jsonPath()});
    EXPECT_EQ(next.exitCode, 0) << next.out.toStdString();
    EXPECT_EQ(kind(summary(), "estoque").sent, 9);
}

// A batch without answer older than [TAVRO] LiberarSemRespostaHoras is released by the night
// (and said so in the summary), so its record goes again; a younger one stays held.
TEST_F(CliSync, NightReleasesBatchesWithoutAnswerPastTheSetHours)
{
    startSim({});
    addConfigKeys({QStringLiteral("LiberarSemRespostaHoras=6")});
    for (const auto &[protocolo, hours, lancamento] :
         {std::tuple{"ENV901-aaaaaa", 7, 5001}, std::tuple{"ENV902-bbbbbb", 5, 5002}}) {
        fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Data, DataLancamento, Situacao, "
                                    "SituacaoPrioridade, Tipo, cnes) values ('%1', substring(cast(dateadd(-%2 hour to "
                                    "current_timestamp) as varchar(30)) from 1 for 19), current_date, 'Sem resposta', "
                                    "100, 'Estoque', '2345678')")
                         .arg(QLatin1String(protocolo))
                         .arg(hours));
        fixture.exec(QStringLiteral("update conciliacao set TavroProtocolo = '%1', TavroSituacao = 'Enviando', "
                                    "TavroSituacaoPrioridade = 100 where lancamento = %2")
                         .arg(QLatin1String(protocolo))
                         .arg(lancamento));
    }
    const CliRun r = verb({"sincronizar", "--tipos", "estoque", "--vezes", "0", "--json", jsonPath()});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Liberado para reenvio (sem resposta há mais de 6 horas): lote "
                                              "ENV901-aaaaaa")))
        << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("lote ENV902-bbbbbb"))) << r.out.toStdString();
    EXPECT_EQ(summary().liberados.size(), 1);
    EXPECT_TRUE(summary().liberados.value(0).endsWith(
        QStringLiteral("O lote ENV901-aaaaaa pode já estar no serviço: se estiver, os registros reenviados voltarão "
                       "como duplicados (\"Ok (Inc.)\").")))
        << summary().liberados.value(0).toStdString();
    // What stays held is counted in the summary and in its JSON, per kind and in all.
    EXPECT_TRUE(r.out.contains(QStringLiteral(": CONCLUÍDA, 1 REGISTRO RETIDO EM 1 LOTE SEM RESPOSTA\n")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Registros retidos: 1 registro retido em 1 lote sem resposta "
                                              "(Sem resposta 1): veja Protocolos.\n  Lote ENV902-bbbbbb (Estoque), "
                                              "Sem resposta em ")))
        << r.out.toStdString();
    EXPECT_EQ(summary().retidos.registros(), 1);
    QFile json(jsonPath());
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const QJsonObject retidos = QJsonDocument::fromJson(json.readAll()).object().value("retidos").toObject();
    EXPECT_EQ(retidos.value("registros").toInt(), 1);
    EXPECT_EQ(retidos.value("porTipo").toObject().value("Estoque").toInt(), 1);
    EXPECT_EQ(retidos.value("porTipo").toObject().value("Entrada").toInt(), 0);
    EXPECT_EQ(fixture.scalar("select TavroSituacao from conciliacao where lancamento = 5001"), "Aguardando");
    EXPECT_EQ(fixture.scalar("select TavroSituacao from conciliacao where lancamento = 5002"), "Enviando");
    EXPECT_EQ(fixture.scalar("select Situacao from TavroProtocolos where Protocolo = 'ENV901-aaaaaa'"), "Liberado");
}

TEST_F(CliSync, SecondRunOfTheSameDatabaseAndUnitExitsAtOnceWithoutARequest)
{
    startSim({"--atraso", "2000"});
    QProcess first;
    start(first, {"--usuario", "FARMACIA", "sincronizar", "--tipos", "estoque", "--vezes", "0"});
    ASSERT_TRUE(first.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (sim->requests().filter(QStringLiteral("POST")).isEmpty() && waited.elapsed() < 30000) {
    }
    ASSERT_EQ(first.state(), QProcess::Running);

    // The second run is pointed at a substitute of its own, which must hear nothing.
    SimProcess other(simArguments(TestLogin));
    useService(localOrigin(other.port()));
    QElapsedTimer clock;
    clock.start();
    const CliRun second = verb({"sincronizar"});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.err,
              QStringLiteral("Outra sincronização deste banco e desta unidade já está em andamento "
                             "(processo %1).\n")
                  .arg(first.processId()));
    EXPECT_EQ(second.out, QString());
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(other.requests(), QStringList());

    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardOutput().toStdString();
}

TEST_F(CliSync, PasswordFileMustBeTheOwnersAlone)
{
    const QString path = fixture.folder() + QStringLiteral("/senha");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("tavro2019\n");
    file.close();
    const QStringList protocolos{"--usuario", "FARMACIA", "--senha-arquivo", path, "protocolos"};

    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    const CliRun open = run(protocolos, QString());
    EXPECT_EQ(open.exitCode, 1);
    EXPECT_TRUE(open.err.contains(QStringLiteral("pode ser lido ou alterado por outros usuários")))
        << open.err.toStdString();
    EXPECT_TRUE(open.err.contains(QStringLiteral("chmod 600"))) << open.err.toStdString();
    EXPECT_EQ(open.out, QString());
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    EXPECT_EQ(run(protocolos, QString()).exitCode, 1);

    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(run(protocolos, QString()).exitCode, 0);
    // The file wins over the environment; a wrong password in it is refused as any other.
    EXPECT_EQ(run(protocolos, QStringLiteral("errada")).exitCode, 0);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("errada");
    file.close();
    EXPECT_EQ(run(protocolos, Password).err, QStringLiteral("Usuário ou Senha incorretos!\n"));
    EXPECT_EQ(run({"--usuario", "FARMACIA", "--senha-arquivo", path + "x", "protocolos"}).exitCode, 1);
}

TEST_F(CliSync, WrongUsageOfSincronizarExitsTwo)
{
    const QList<QStringList> cases = {
        {"sincronizar", "--tipos", "estoque,vendas"},
        {"sincronizar", "--tipos", ""},
        {"sincronizar", "--dias", "0"},
        {"sincronizar", "--dias", "7", "--de", "01/01/2019"},
        {"sincronizar", "--de", "01/01/2019"},
        {"sincronizar", "--lote", "0"},
        {"sincronizar", "--dia", "31/01/2019"},
        {"sincronizar", "estoque"},
        {"protocolos", "--json", "x.json"},
        {"listar", "estoque", "--dia", "31/01/2019", "--dias", "3"},
        {"--senha", "x", "--senha-arquivo", "y", "protocolos"},
    };
    for (const QStringList &arguments : cases) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const CliRun r = verb(arguments);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Uso:"))) << r.err.toStdString();
    }
}
