#include "FaultFixture.h"
#include "RowHolder.h"
#include "ServerProxy.h"

#include "common/Status.h"
#include "transmission/BatchClaim.h"
#include "transmission/ProtocolRecovery.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

using namespace tavro;
using namespace tavro::test;
using namespace std::chrono_literals;
using Fault = FaultFixture::Fault;

namespace {

// Each fault of a call, and an answer slower than usual that still comes within the time-out.
std::vector<FaultCase> stepFaults()
{
    std::vector<FaultCase> cases = callFaults(RespostaSemProtocoloMessage);
    cases.push_back({"Slow", Fault::Slow, QString()});
    return cases;
}

class TransmissionFault : public FaultFixture, public ::testing::WithParamInterface<FaultCase>
{
};

} // namespace

// Each step of a run meets its fault after a first batch was committed: the run ends
// with the fault's message and leaves the database as it was, or, when its request left
// without answer, its batch "Enviando", which no run takes until the clerk releases it.
// Then the next run against a healthy service sends every record the first batch did not take.
TEST_P(TransmissionFault, RunEndsCleanAndTheNextRunSendsTheRest)
{
    const KindCase &stock = kindCases().front();
    ASSERT_FALSE(sendFirstBatch(stock, 3).isEmpty());
    const Snapshot before = snapshot();

    useFaultyService(GetParam().fault);
    fill(stock);
    const SendOutcome outcome = click(stock.kind);
    if (GetParam().message.isEmpty()) {
        EXPECT_EQ(outcome.end, SendOutcome::End::AllSent) << outcome.mensagem.toStdString();
    } else {
        EXPECT_EQ(outcome.end, SendOutcome::End::Aborted);
        EXPECT_TRUE(outcome.mensagem.contains(GetParam().message)) << outcome.mensagem.toStdString();
        if (!GetParam().unanswered) {
            EXPECT_EQ(snapshot().recordPriorities, before.recordPriorities);
            EXPECT_EQ(snapshot().protocolPriorities, before.protocolPriorities);
        }
        EXPECT_FALSE(db.inTransaction());
    }
    expectConsistent(before);
    const QString enviando = fixture.scalar(
        QStringLiteral("select list(Protocolo) from TavroProtocolos where Situacao = 'Enviando'"));
    EXPECT_EQ(enviando.startsWith(QStringLiteral("ENV")), GetParam().unanswered) << enviando.toStdString();

    if (GetParam().fault == Fault::LogFolderIsAFile)
        QFile::remove(logFolder);
    if (GetParam().unanswered) {
        const int held
            = fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Enviando'"))
                  .toInt();
        EXPECT_GT(held, 0);
        useService();
        fill(stock);
        click(stock.kind);
        EXPECT_EQ(
            fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Enviando'")).toInt(),
            held)
            << "a run took a record whose batch may have reached the service";
        resolveProvisionalBatches(db, logFolder, 0);
        EXPECT_TRUE(releaseUnanswered(db, enviando));
    }
    expectNextRunSendsTheRest(stock);
    expectConsistent(before);
}

INSTANTIATE_TEST_SUITE_P(EachStep, TransmissionFault, ::testing::ValuesIn(stepFaults()),
                         [](const ::testing::TestParamInfo<FaultCase> &info) { return std::string(info.param.name); });

namespace {

struct HolderCase
{
    const char *name;
    QString update; // what the other connection does to the records the run would take
    std::chrono::milliseconds hold;
    RowHolder::End end;
    bool aborts; // the run stops with the held-record message and sends nothing
};

void PrintTo(const HolderCase &c, std::ostream *os)
{
    *os << c.name;
}

class HeldRows : public FaultFixture, public ::testing::WithParamInterface<HolderCase>
{
};

const QString TouchQuantity = QStringLiteral(
    "update conciliacao set quantidade = quantidade where TavroProtocolo is null and data = '2019-01-31'");
const QString SendElsewhere = QStringLiteral(
    "update conciliacao set TavroProtocolo = '999000000001', TavroSituacao = 'Aguardando', "
    "TavroSituacaoPrioridade = 10 where TavroProtocolo is null and data = '2019-01-31'");

} // namespace

// Another connection holds the records the run would take. The run's claim waits for it at
// most its lock time-out and never sends a record whose state changed meanwhile: a holder
// that ends within the time-out lets the run go on with what still allows sending; one that
// holds on stops the run before anything leaves, and nothing is written.
TEST_P(HeldRows, TheRunNeverSendsAHeldRecord)
{
    const HolderCase &c = GetParam();
    const KindCase &stock = kindCases().front();
    ASSERT_FALSE(sendFirstBatch(stock, 3).isEmpty());
    const Snapshot before = snapshot();
    fill(stock);
    SendOutcome outcome;
    QElapsedTimer waited;
    {
        const RowHolder holder(fixture.path(), c.update, c.hold, c.end);
        ASSERT_GT(holder.heldRows(), 0);
        waited.start();
        outcome = click(stock.kind);
        if (c.aborts) {
            EXPECT_LT(waited.elapsed(), c.hold.count()) << "the claim waited for the holder to end";
        }
    }
    if (c.aborts) {
        EXPECT_EQ(outcome.end, SendOutcome::End::Aborted);
        EXPECT_EQ(outcome.mensagem, TodosEmUsoMessage);
        EXPECT_FALSE(db.inTransaction());
        EXPECT_EQ(snapshot().recordProtocols, before.recordProtocols);
        expectConsistent(before);
        expectNextRunSendsTheRest(stock);
    } else {
        EXPECT_EQ(outcome.end, SendOutcome::End::AllSent) << outcome.mensagem.toStdString();
    }
    // Records the holder marked as sent elsewhere keep that protocol: the run did not send them.
    SqlCursor elsewhere = db.select(
        SqlStatement{QStringLiteral("select count(*) from conciliacao where TavroProtocolo = '999000000001'")});
    elsewhere.next();
    const int keptElsewhere = elsewhere.value(0).toInt();
    db.rollback();
    EXPECT_EQ(keptElsewhere > 0, c.update == SendElsewhere && c.end == RowHolder::End::Commit);
}

INSTANTIATE_TEST_SUITE_P(
    Holders, HeldRows,
    ::testing::Values(HolderCase{"QuantityCommitted", TouchQuantity, 1500ms, RowHolder::End::Commit, false},
                      HolderCase{"QuantityRolledBack", TouchQuantity, 1500ms, RowHolder::End::Rollback, false},
                      HolderCase{"SentElsewhereCommitted", SendElsewhere, 1500ms, RowHolder::End::Commit, false},
                      HolderCase{"SentElsewhereRolledBack", SendElsewhere, 1500ms, RowHolder::End::Rollback, false},
                      HolderCase{"HeldBeyondTheTimeOut", TouchQuantity, 8000ms, RowHolder::End::Rollback, true}),
    [](const ::testing::TestParamInfo<HolderCase> &info) { return std::string(info.param.name); });

namespace {

std::string kindName(const ::testing::TestParamInfo<int> &info)
{
    return kindCases().at(info.param).id;
}

// Captions of the rows a new batch of the kind takes from the list, in list order.
QStringList batchCaptions(const RecordList &list, const TransmissionKind &kind)
{
    QStringList batch;
    const TransmissionCells cells = kind.cells();
    for (int row = 0; row < list.rowCount(); ++row) {
        QStringList ignored;
        if (sendableInNewBatch(list.subCellView(row, cells.situacao)) && kind.check(list, row, ignored))
            batch << list.caption(row);
    }
    return batch;
}

// The condition that picks the record of a row caption in the kind's table.
QString recordCondition(const KindCase &kind, const QString &caption)
{
    if (kind.table == QLatin1String("conciliacao"))
        return QStringLiteral("lancamento = %1").arg(caption);
    return QStringLiteral("lancamento = %1 and item = %2")
        .arg(caption.section(QLatin1Char('-'), 0, 0), caption.section(QLatin1Char('-'), 1, 1));
}

// A case run for each kind, with a transmitter of its own.
class EveryKind : public FaultFixture, public ::testing::WithParamInterface<int>
{
protected:
    // The kind's list searched with the healthy service; the captions of the batch a click takes.
    QStringList searchBatch()
    {
        useService();
        fill(kind);
        return batchCaptions(*list, *transmitter);
    }

    const KindCase &kind = kindCases().at(GetParam());
    const std::unique_ptr<TransmissionKind> transmitter = kind.make();
};

} // namespace

// Each kind's table after an answer without a protocol number, which is not the service's
// answer to a batch: its records stay "Enviando" under the provisional protocol, no later run
// takes them, and once released the next run sends what the first batch did not take.
TEST_P(EveryKind, AnswerWithoutProtocolHoldsTheBatch)
{
    ASSERT_FALSE(sendFirstBatch(kind, 1).isEmpty());
    const Snapshot before = snapshot();
    useFaultyService(Fault::EmptyBody);
    fill(kind);
    EXPECT_EQ(click(kind.kind).mensagem, RespostaSemProtocoloMessage);
    const QString provisorio = fixture.scalar(
        QStringLiteral("select Protocolo from TavroProtocolos where Situacao = 'Enviando'"));
    ASSERT_TRUE(provisorio.startsWith(QStringLiteral("ENV"))) << provisorio.toStdString();
    const QString held = QStringLiteral("select count(*) from %1 where TavroProtocolo = '%2' and TavroSituacao = "
                                        "'Enviando'")
                             .arg(kind.table, provisorio);
    EXPECT_GT(count(held), 0);
    expectConsistent(before);
    useService();
    fill(kind);
    click(kind.kind);
    EXPECT_GT(count(held), 0) << "a run took a record of a batch that may be at the service";
    resolveProvisionalBatches(db, logFolder, 0);
    ASSERT_TRUE(releaseUnanswered(db, provisorio));
    expectNextRunSendsTheRest(kind);
    expectConsistent(before);
}

// The registry row cannot be written (another workstation holds what its insert needs for
// longer than the run waits), so the run fails after every row of its batch was written in the
// list: each row, those of the batch included, shows again what the database holds. Two rows go
// out again from "Inconsistência", so the batch holds rows whose cells were not empty before.
TEST_P(EveryKind, FailedRegistryRowLeavesTheListAsTheDatabaseHoldsIt)
{
    const QString first = sendFirstBatch(kind, 2);
    ASSERT_FALSE(first.isEmpty());
    fixture.exec(QStringLiteral("update %1 set TavroSituacao = 'Inconsistência', TavroSituacaoPrioridade = 30 "
                                "where TavroProtocolo = '%2'")
                     .arg(kind.table, first));
    fixture.exec(QStringLiteral("create table TestTrava (id integer not null primary key)"));
    fixture.exec(QStringLiteral("insert into TestTrava values (1)"));
    fixture.exec(QStringLiteral("create trigger TestTravaProtocolos for TavroProtocolos before insert as "
                                "begin update TestTrava set id = id; end"));
    const Snapshot before = snapshot();
    fill(kind);
    ASSERT_GE(batchCaptions(*list, *transmitter).size(), 3) << kind.name.toStdString();
    SendOutcome outcome;
    {
        const RowHolder holder(fixture.path(), QStringLiteral("update TestTrava set id = id"),
                               std::chrono::seconds(ClaimLockTimeoutSeconds + 3), RowHolder::End::Rollback);
        ASSERT_EQ(holder.heldRows(), 1);
        outcome = click(kind.kind);
    }
    EXPECT_EQ(outcome.end, SendOutcome::End::Aborted);
    EXPECT_FALSE(outcome.mensagem.isEmpty());
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from %1 where TavroProtocolo = '%2' "
                                            "and TavroSituacao = 'Inconsistência'")
                                 .arg(kind.table, first)),
              QStringLiteral("2"));
    expectListShowsDatabase(kind);
}

// A record of the batch is gone since the search (another workstation removed it): its claim
// finds nothing, so it leaves the batch, the others go out, and the list shows what the
// database holds.
TEST_P(EveryKind, RecordGoneSinceTheSearchLeavesTheBatch)
{
    const QStringList batch = searchBatch();
    ASSERT_GE(batch.size(), 2) << kind.name.toStdString();
    const QString gone = batch.at(batch.size() / 2);
    fixture.exec(QStringLiteral("delete from %1 where %2").arg(kind.table, recordCondition(kind, gone)));
    // The stock list leaves its reading transaction active, which would still see the record.
    db.restartTransaction();

    const SendOutcome outcome = click(kind.kind);
    EXPECT_EQ(outcome.end, SendOutcome::End::AllSent) << outcome.mensagem.toStdString();
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos")), QStringLiteral("1"));
    expectListShowsDatabase(kind);
}

// A record another station holds (a form left open in the product's screens) leaves the
// batch with one line naming it; the rest goes, and the held record goes with the first run
// after the holder has committed.
TEST_P(EveryKind, HeldRecordWaitsForTheNextRun)
{
    const QStringList batch = searchBatch();
    ASSERT_GE(batch.size(), 2) << kind.name.toStdString();
    const QString held = batch.at(batch.size() / 2);
    const QString condition = recordCondition(kind, held);
    const QString marked = QStringLiteral("select count(*) from %1 where TavroSituacao = 'Aguardando'").arg(kind.table);
    const int before = fixture.scalar(marked).toInt();
    {
        const RowHolder holder(
            fixture.path(), QStringLiteral("update %1 set quantidade = quantidade where %2").arg(kind.table, condition),
            5000ms, RowHolder::End::Commit);
        ASSERT_EQ(holder.heldRows(), 1);
        EXPECT_EQ(runEnds(click(kind.kind, 1)), RunEnds{RunResult::End::Sent});
        EXPECT_EQ(report.erros.filter(recordHeldMessage(held)).size(), 1) << report.erros.join('\n').toStdString();
        EXPECT_EQ(fixture.scalar(marked).toInt(), before + batch.size() - 1);
        EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from %1 where TavroProtocolo is null and %2")
                                     .arg(kind.table, condition)),
                  QStringLiteral("1"));
    }
    EXPECT_EQ(runEnds(click(kind.kind, 1)), RunEnds{RunResult::End::Sent});
    EXPECT_EQ(fixture.scalar(marked).toInt(), before + batch.size());
    expectListShowsDatabase(kind);
}

// A record whose quantity changed after the search goes with the value read under the claim.
TEST_P(EveryKind, QuantityChangedSinceTheSearchGoesWithItsNewValue)
{
    const QStringList batch = searchBatch();
    ASSERT_FALSE(batch.isEmpty());
    fixture.exec(QStringLiteral("update %1 set quantidade = 4321 where %2")
                     .arg(kind.table, recordCondition(kind, batch.first())));
    db.restartTransaction();
    EXPECT_EQ(runEnds(click(kind.kind, 1)), RunEnds{RunResult::End::Sent});
    const QDir logs(logFolder);
    QByteArray request;
    for (const QString &name : logs.entryList({QStringLiteral("*_req.xml")})) {
        QFile file(logs.filePath(name));
        file.open(QIODevice::ReadOnly);
        request += file.readAll();
    }
    EXPECT_TRUE(request.contains("<qtProduto>4321</qtProduto>"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, EveryKind, ::testing::Range(0, 5), kindName);

// The Firebird server goes away while the batch is on its way: the run ends with the
// connection's message, the server keeps nothing of the run's transaction, and a run on
// a new connection sends what the first batch did not take.
TEST_F(FaultFixture, DatabaseServerGoneDuringTheRun)
{
    const std::unique_ptr<ServerProxy> proxy = serverBehindProxy();
    if (!proxy)
        GTEST_SKIP() << NoTestServer;

    // The answer to the run's call (the second) waits until the server has gone.
    useService({QStringLiteral("--reter"), QStringLiteral("2")});
    const KindCase &stock = kindCases().front();
    ASSERT_FALSE(sendFirstBatch(stock, 3).isEmpty());
    const Snapshot before = snapshot();
    const ServerGoneDuringPost serverGone(*proxy, *sim);

    fill(stock);
    SendOutcome outcome;
    EXPECT_NO_THROW(outcome = click(stock.kind));
    EXPECT_EQ(outcome.end, SendOutcome::End::Aborted) << outcome.mensagem.toStdString();
    EXPECT_TRUE(outcome.mensagem.contains(QStringLiteral("connection"))) << outcome.mensagem.toStdString();

    db.open(fixture.address());
    expectConsistent(before);
    expectNextRunSendsTheRest(stock);
    expectConsistent(before);
}

namespace {

// A gateway's answer after the service took the batch: its own page, with a status of its own.
struct GatewayCase
{
    const char *name;
    int status;
};

void PrintTo(const GatewayCase &c, std::ostream *os)
{
    *os << c.name;
}

class GatewayLoss : public FaultFixture, public ::testing::WithParamInterface<GatewayCase>
{
protected:
    // The calls the service got so far (SimProcess hands each request line out once).
    int posts()
    {
        m_posts += int(sim->requests().filter(QRegularExpression(QStringLiteral("^POST "))).size());
        return m_posts;
    }
    int held() const
    {
        return count(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Enviando'"));
    }

private:
    int m_posts = 0;
};

class ValueOnItsWay : public FaultFixture
{
};

} // namespace

// A gateway loses the answer of a service that took the batch. The batch may be at the
// service, so it stays "Enviando" with a line that says so; no later run nor resolution posts
// it again, and only its release lets its records go.
TEST_P(GatewayLoss, ABatchThatMayBeAtTheServiceIsNeverPostedAgain)
{
    const KindCase &stock = kindCases().front();
    useService();
    ScriptedService::Answer page{
        GetParam().status, "text/html",
        "<html><body><h1>Gateway</h1><p>O servidor de origem não respondeu.</p></body></html>"};
    page.forwardTo = localOrigin(sim->port());
    useScripted(page);
    fill(stock);
    const SendOutcome outcome = click(stock.kind);
    EXPECT_EQ(outcome.end, SendOutcome::End::Aborted);
    ASSERT_EQ(posts(), 1) << "the gateway did not pass the batch on";
    const int first = held();
    EXPECT_GT(first, 0);
    EXPECT_TRUE(report.erros.join('\n').contains(QStringLiteral("pode ter chegado ao serviço")))
        << report.erros.join('\n').toStdString();
    const QString provisorio = fixture.scalar(
        QStringLiteral("select Protocolo from TavroProtocolos where Situacao = 'Enviando'"));
    ASSERT_TRUE(provisorio.startsWith(QStringLiteral("ENV")));

    useService();
    for (int i = 0; i < 3; ++i) {
        fill(stock);
        click(stock.kind);
        const RecoveryReport resolution = resolveProvisionalBatches(db, logFolder, 0);
        EXPECT_TRUE(resolution.released.isEmpty()) << resolution.released.join('\n').toStdString();
    }
    EXPECT_EQ(posts(), 1) << "the batch went to the service twice";
    EXPECT_EQ(held(), first);
    EXPECT_EQ(
        fixture.scalar(QStringLiteral("select Situacao from TavroProtocolos where Protocolo = '%1'").arg(provisorio)),
        QStringLiteral("Sem resposta"));
    ASSERT_TRUE(releaseUnanswered(db, provisorio));
    fill(stock);
    EXPECT_EQ(click(stock.kind).end, SendOutcome::End::AllSent);
    EXPECT_EQ(posts(), 2);
    EXPECT_EQ(held(), 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, GatewayLoss,
                         ::testing::Values(GatewayCase{"BadGateway", 502}, GatewayCase{"GatewayTimeout", 504},
                                           GatewayCase{"PageWithOk", 200}, GatewayCase{"OtherStatus", 500}),
                         [](const ::testing::TestParamInfo<GatewayCase> &info) {
                             return std::string(info.param.name);
                         });

// The log folder goes away (a network share, a USB disk) while the call waits for an answer
// that never comes: whether the batch left is the database's to say, not the folder's, so the
// batch stays "Enviando" and the next run does not send it again.
TEST_F(ValueOnItsWay, ALogFolderGoneDuringTheCallDoesNotMakeTheBatchUnsent)
{
    const KindCase &stock = kindCases().front();
    useService();
    useFaultySim({QStringLiteral("--silencio")}, 1);
    QTimer remover;
    QObject::connect(&remover, &QTimer::timeout, &remover, [&] {
        if (!m_faulty->requests().filter(QRegularExpression(QStringLiteral("^POST "))).isEmpty()) {
            QDir(logFolder).removeRecursively();
            remover.stop();
        }
    });
    remover.start(20);
    fill(stock);
    EXPECT_EQ(click(stock.kind).end, SendOutcome::End::Aborted);
    const int held = count(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Enviando'"));
    EXPECT_GT(held, 0);
    useService();
    fill(stock);
    click(stock.kind);
    EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Enviando'")), held);
    EXPECT_TRUE(sim->requests().filter(QRegularExpression(QStringLiteral("^POST "))).isEmpty());
}

// A lot holding a control character would reach the service without it: the row is refused,
// naming the row and the field, and the rest of the batch goes.
TEST_F(ValueOnItsWay, AValueXmlCannotCarryRefusesItsRowAlone)
{
    const KindCase &entrada = kindCase("Entrada");
    useService();
    // The first row of the clerk's list that a click sends.
    QString caption;
    for (int row = 0; row < fill(entrada).rowCount() && caption.isEmpty(); ++row) {
        if (list->subCell(row, ItemCell::Lote).size() > 1
            && count(QStringLiteral("select count(*) from itensentradas where lancamento || '-' || item = '%1' and "
                                    "TavroSituacao is null")
                         .arg(list->caption(row)))
                == 1)
            caption = list->caption(row);
    }
    ASSERT_FALSE(caption.isEmpty());
    // The list finds a lot through the product's lots, which get the same text.
    fixture.exec(QStringLiteral("update novolotes l set lote = 'C' || ascii_char(1) || 'X' where exists (select 1 "
                                "from itensentradas ie where ie.codproduto = l.codproduto and ie.lote = l.lote and "
                                "ie.lancamento || '-' || ie.item = '%1')")
                     .arg(caption));
    fixture.exec(QStringLiteral("update itensentradas set lote = 'C' || ascii_char(1) || 'X' "
                                "where lancamento || '-' || item = '%1'")
                     .arg(caption));
    fill(entrada);
    click(entrada.kind);
    EXPECT_TRUE(report.erros.contains(QStringLiteral("Caractere inválido no lote do registro %1").arg(caption)))
        << report.erros.join('\n').toStdString();
    EXPECT_EQ(fixture.scalar(QStringLiteral("select coalesce(TavroSituacao, '') from itensentradas where "
                                            "lancamento || '-' || item = '%1'")
                                 .arg(caption)),
              QString());
    EXPECT_GT(count(QStringLiteral("select count(*) from itensentradas where TavroSituacao = 'Aguardando'")), 0);
    for (const QString &name : QDir(logFolder).entryList({QStringLiteral("*_req.xml")})) {
        QFile log(QDir(logFolder).filePath(name));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        EXPECT_FALSE(log.readAll().contains("<nuLote>CX</nuLote>"));
    }
}
