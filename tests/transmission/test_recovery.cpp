#include "SimProcess.h"
#include "TestDatabase.h"
#include "TestService.h"
#include "db/Database.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/SoapClient.h"
#include "transmission/DispensacaoTransmission.h"
#include "transmission/EntradaTransmission.h"
#include "transmission/EstoqueTransmission.h"
#include "transmission/ProtocolRecovery.h"
#include "transmission/SaidaTransmission.h"
#include "transmission/SemCartaoTransmission.h"
#include "transmission/Transmission.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace tavro;
using tavro::test::SimProcess;
using tavro::test::TestDatabase;

namespace {

struct KindCase
{
    const char *name;
    MovementKind list;
    std::function<std::unique_ptr<TransmissionKind>()> make;
    QString table;
    QString tipo;
};

void PrintTo(const KindCase &c, std::ostream *os)
{
    *os << c.name;
}

const KindCase Kinds[] = {
    {"Estoque", MovementKind::Estoque, [] { return std::make_unique<EstoqueTransmission>(); },
     QStringLiteral("conciliacao"), QStringLiteral("Estoque")},
    {"Entrada", MovementKind::Entradas, [] { return std::make_unique<EntradaTransmission>(); },
     QStringLiteral("itensentradas"), QStringLiteral("Entrada")},
    {"Saida", MovementKind::Saidas, [] { return std::make_unique<SaidaTransmission>(); }, QStringLiteral("itenssaidas"),
     QStringLiteral("Saída")},
    {"Dispensacao", MovementKind::Dispensacoes, [] { return std::make_unique<DispensacaoTransmission>(); },
     QStringLiteral("itenssaidas"), QStringLiteral("Dispensação")},
    {"SemCartao", MovementKind::Dispensacoes, [] { return std::make_unique<SemCartaoTransmission>(); },
     QStringLiteral("itenssaidas"), QStringLiteral("Dispensação")},
};

// A batch the service accepted whose run never committed, as a crash between the answer
// and the commit leaves it: the logs are there, the database holds nothing of it.
class Recovery : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.open(fixture.path());
        startSim();
    }

    void startSim(const QStringList &arguments = {})
    {
        sim = std::make_unique<SimProcess>(test::simArguments(test::TestLogin, arguments));
        client = test::makeClient(network, test::localOrigin(sim->port()), logFolder, test::TestLogin, 20,
                                  [this] { return now = now.addSecs(1); });
    }

    // Sends one batch of `lote` records of the kind and returns its protocol.
    QString send(const KindCase &kind, int lote = 2)
    {
        ListSearch search;
        search.kind = kind.list;
        search.exibirSemCodigo = true;
        search.unidade = kind.list == MovementKind::Estoque ? input.cnes : QStringLiteral("1");
        search.dia = input.dia;
        search.dataInicial = QStringLiteral("01/01/2019");
        search.dataFinal = QStringLiteral("31/01/2019");
        list.reset(newMovementList(search.kind, nullptr));
        fillMovementList(db, search, *list);
        const auto transmitter = kind.make();
        input.loteMaximo = lote;
        RunReport report;
        const QString result = transmitOnce(db, *client, *transmitter, *list, input, report);
        EXPECT_EQ(result, RunResult::Transmitido);
        return report.retornos ? report.retornos->value(0) : QString();
    }

    // Undoes what the run committed for `protocolo`, as if it had died before its commit.
    void loseCommit(const KindCase &kind, const QString &protocolo)
    {
        fixture.exec(QStringLiteral("delete from TavroProtocolos where Protocolo = '%1'").arg(protocolo));
        fixture.exec(QStringLiteral("update %1 set TavroProtocolo = null, TavroData = null, TavroSituacao = null, "
                                    "TavroSituacaoPrioridade = null where TavroProtocolo = '%2'")
                         .arg(kind.table, protocolo));
    }

    RecoveryReport recover() { return recoverProtocols(db, logFolder, QDate(2027, 1, 2)); }
    int count(const QString &sql) const { return fixture.scalar(sql).toInt(); }
    QString logOf(const QString &protocolo, const QString &suffix) const
    {
        const QDir dir(logFolder);
        for (const QString &name : dir.entryList({QStringLiteral("*_res.xml")}, QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            file.open(QIODevice::ReadOnly);
            if (file.readAll().contains(QByteArray("<nuProtocoloEntrada>" + protocolo.toLatin1() + "<")))
                return dir.filePath(name.chopped(8) + suffix);
        }
        return QString();
    }

    TestDatabase fixture;
    Database db;
    QTemporaryDir dir;
    QString logFolder = dir.filePath(QStringLiteral("Tavro"));
    QDateTime now{QDate(2026, 12, 10), QTime(8, 0, 0)};
    QNetworkAccessManager network;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<SoapClient> client;
    std::unique_ptr<RecordList> list;
    TransmissionInput input{
        QStringLiteral("2345678"), QStringLiteral("3550308"), QStringLiteral("31/01/2019"), QString(), 500,
        QDate(2019, 2, 1)};
};

class RecoveryOfEachKind : public Recovery, public ::testing::WithParamInterface<KindCase>
{
};

} // namespace

// The registry row comes back from the answer (with the request's kind, CNES and the day of
// its log) and the marks from the request, once: a second call finds nothing new.
TEST_P(RecoveryOfEachKind, LostCommitIsRecordedFromTheLogsOnce)
{
    const KindCase &kind = GetParam();
    const QString protocolo = send(kind);
    ASSERT_FALSE(protocolo.isEmpty());
    const QList<QStringList> registry = fixture.rows(
        QStringLiteral("select Protocolo, Data, Situacao, SituacaoPrioridade, Tipo, cnes, ProtocoloAntigo "
                       "from TavroProtocolos"));
    const QList<QStringList> marks = fixture.rows(
        QStringLiteral("select TavroProtocolo, TavroData, TavroSituacao, TavroSituacaoPrioridade from %1 "
                       "where TavroProtocolo is not null order by 1, 2, 3")
            .arg(kind.table));
    loseCommit(kind, protocolo);

    const RecoveryReport report = recover();
    EXPECT_TRUE(report.failures.isEmpty()) << report.failures.join('\n').toStdString();
    ASSERT_EQ(report.recovered.size(), 1);
    EXPECT_TRUE(report.recovered[0].startsWith(QStringLiteral("Protocolo %1 recuperado").arg(protocolo)));
    EXPECT_EQ(fixture.rows(QStringLiteral("select Protocolo, Data, Situacao, SituacaoPrioridade, Tipo, cnes, "
                                          "ProtocoloAntigo from TavroProtocolos")),
              registry);
    EXPECT_EQ(fixture.scalar(QStringLiteral("select DataLancamento from TavroProtocolos")),
              QStringLiteral("2026-12-10"));
    EXPECT_EQ(fixture.rows(QStringLiteral("select TavroProtocolo, TavroData, TavroSituacao, TavroSituacaoPrioridade "
                                          "from %1 where TavroProtocolo is not null order by 1, 2, 3")
                               .arg(kind.table)),
              marks);
    EXPECT_EQ(fixture.scalar(QStringLiteral("select Tipo from TavroProtocolos")), kind.tipo);

    const RecoveryReport again = recover();
    EXPECT_TRUE(again.recovered.isEmpty());
    EXPECT_TRUE(again.failures.isEmpty());
    EXPECT_EQ(count(QStringLiteral("select count(*) from TavroProtocolos")), 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RecoveryOfEachKind, ::testing::ValuesIn(Kinds),
                         [](const ::testing::TestParamInfo<KindCase> &info) { return std::string(info.param.name); });

// What recovery passes over: a protocol that was registered, a request whose answer never
// came, an answer that is a fault. None of them writes anything or reports anything.
TEST_F(Recovery, PassesOverRegisteredProtocolsUnansweredRequestsAndFaults)
{
    const KindCase &stock = Kinds[0];
    send(stock);
    const QString unanswered = send(stock);
    loseCommit(stock, unanswered);
    ASSERT_TRUE(QFile::remove(logOf(unanswered, QStringLiteral("_res.xml"))));
    startSim({QStringLiteral("--falha-fault"), QStringLiteral("Falha interna do serviço")});
    RunReport report;
    const auto transmitter = stock.make();
    EXPECT_EQ(transmitOnce(db, *client, *transmitter, *list, input, report),
              QStringLiteral("Falha interna do serviço"));

    const QList<QStringList> before = fixture.rows(
        QStringLiteral("select lancamento, TavroProtocolo, TavroSituacao from conciliacao order by lancamento"));
    const RecoveryReport recovered = recover();
    EXPECT_TRUE(recovered.recovered.isEmpty()) << recovered.recovered.join('\n').toStdString();
    EXPECT_TRUE(recovered.failures.isEmpty()) << recovered.failures.join('\n').toStdString();
    EXPECT_EQ(count(QStringLiteral("select count(*) from TavroProtocolos")), 1);
    EXPECT_EQ(fixture.rows(QStringLiteral(
                  "select lancamento, TavroProtocolo, TavroSituacao from conciliacao order by lancamento")),
              before);
}

// An answer whose request log is gone cannot give the records: the loss is reported once.
TEST_F(Recovery, AnswerWithoutItsRequestIsReportedOnce)
{
    const KindCase &stock = Kinds[0];
    const QString protocolo = send(stock);
    loseCommit(stock, protocolo);
    ASSERT_TRUE(QFile::remove(logOf(protocolo, QStringLiteral("_req.xml"))));
    const RecoveryReport report = recover();
    EXPECT_TRUE(report.recovered.isEmpty());
    ASSERT_EQ(report.failures.size(), 1);
    EXPECT_TRUE(report.failures[0].contains(protocolo));
    EXPECT_TRUE(recover().failures.isEmpty());
    EXPECT_EQ(count(QStringLiteral("select count(*) from TavroProtocolos")), 0);
}

// Records a later run sent again keep their newer protocol and status; the lost protocol
// still gets its registry row, so it can be followed up.
TEST_F(Recovery, RecordsSentAgainKeepTheirNewerProtocol)
{
    const KindCase &stock = Kinds[0];
    const QString lost = send(stock);
    loseCommit(stock, lost);
    const QString newer = send(stock);
    fixture.exec(QStringLiteral("update conciliacao set TavroSituacao = 'Ok', TavroSituacaoPrioridade = 40 "
                                "where TavroProtocolo = '%1'")
                     .arg(newer));
    const QList<QStringList> before = fixture.rows(QStringLiteral(
        "select lancamento, TavroProtocolo, TavroSituacao, TavroSituacaoPrioridade from conciliacao order by 1"));

    const RecoveryReport report = recover();
    ASSERT_EQ(report.recovered.size(), 1) << report.failures.join('\n').toStdString();
    EXPECT_TRUE(report.recovered[0].contains(QStringLiteral("0 de 2 registros")));
    EXPECT_EQ(fixture.rows(QStringLiteral("select lancamento, TavroProtocolo, TavroSituacao, TavroSituacaoPrioridade "
                                          "from conciliacao order by 1")),
              before);
    EXPECT_EQ(count(QStringLiteral("select count(*) from TavroProtocolos where Protocolo = '%1'").arg(lost)), 1);
}
