#include "KindCases.h"
#include "SimProcess.h"
#include "TestDatabase.h"
#include "TestService.h"
#include "TransmissionSetup.h"
#include "db/Database.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/SoapClient.h"
#include "transmission/ProtocolRecovery.h"
#include "transmission/Transmission.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace tavro;
using tavro::test::RunEnds;
using tavro::test::runEnds;
using tavro::test::SimProcess;
using tavro::test::TestDatabase;

namespace {

using tavro::test::KindCase;
using tavro::test::kindCases;

// A batch whose run died after its request left and before the answer's commit: the
// database holds it written ahead ("Enviando" under its provisional protocol), the log
// folder holds its request and, when the answer arrived, its answer.
class Recovery : public ::testing::Test, public test::TransmissionSetup
{
protected:
    void SetUp() override { startSim(); }

    // A send of one run of the kind on `on` through `through`, batches of `lote` records; the
    // run's report is kept in `last`.
    RunEnds run(const KindCase &kind, Database &on, SoapClient &through, int lote = 2)
    {
        fill(kind.list, on);
        input.loteMaximo = lote;
        last = RunReport();
        class KeepingTheRun : public SendObserver
        {
        public:
            explicit KeepingTheRun(RunReport &kept)
                : m_kept(kept)
            {
            }
            void runEnded(const SendRun &run) override { m_kept = run.report; }

        private:
            RunReport &m_kept;
        } keeping(last);
        return runEnds(transmit(on, through, *list, test::sendRequest(kind.kind, input, 1), keeping));
    }
    // Sends one batch and returns its provisional protocol (its logs' name).
    QString send(const KindCase &kind, TestDatabase &where, Database &on)
    {
        const QStringList before = QDir(logFolder).entryList({QStringLiteral("*_req.xml")});
        EXPECT_EQ(run(kind, on, *client), RunEnds{RunResult::End::Sent});
        if (!last.retornos)
            return QString();
        QStringList after = QDir(logFolder).entryList({QStringLiteral("*_req.xml")});
        for (const QString &name : before)
            after.removeOne(name);
        EXPECT_EQ(after.size(), 1);
        const QString provisorio = after.value(0).chopped(8);
        recorded = batchState(where, kind, last.retornos->value(0));
        return provisorio;
    }
    // Puts the batch back as a run that died before recording its answer leaves it.
    void dieBeforeTheAnswersCommit(TestDatabase &where, const KindCase &kind, const QString &provisorio)
    {
        const QString protocolo = last.retornos->value(0);
        where.exec(QStringLiteral("update TavroProtocolos set Protocolo = '%1', Situacao = 'Enviando', "
                                  "SituacaoPrioridade = 100, Data = substring(cast(current_timestamp as varchar(30)) "
                                  "from 1 for 19), ProtocoloAntigo = nullif('%3', '') where Protocolo = '%2'")
                       .arg(provisorio, protocolo, input.protocolo));
        where.exec(QStringLiteral("update %1 set TavroProtocolo = '%2', TavroSituacao = 'Enviando', "
                                  "TavroSituacaoPrioridade = 100 where TavroProtocolo = '%3'")
                       .arg(kind.table, provisorio, protocolo));
    }
    // The registry and the marked records of a database.
    QList<QStringList> state(const TestDatabase &where, const KindCase &kind) const
    {
        return where.rows(QStringLiteral("select Protocolo, Data, Situacao, SituacaoPrioridade, Tipo, cnes, "
                                         "ProtocoloAntigo from TavroProtocolos order by Lancamento"))
            + where.rows(QStringLiteral("select lancamento, TavroProtocolo, TavroData, TavroSituacao, "
                                        "TavroSituacaoPrioridade from %1 where TavroProtocolo is not null "
                                        "order by 1, 2")
                             .arg(kind.table));
    }
    // The registry row and the records of one protocol.
    QList<QStringList> batchState(const TestDatabase &where, const KindCase &kind, const QString &protocolo) const
    {
        return where.rows(QStringLiteral("select Protocolo, Data, Situacao, SituacaoPrioridade, Tipo, cnes, "
                                         "ProtocoloAntigo from TavroProtocolos where Protocolo = '%1'")
                              .arg(protocolo))
            + where.rows(QStringLiteral("select lancamento, TavroProtocolo, TavroData, TavroSituacao, "
                                        "TavroSituacaoPrioridade from %1 where TavroProtocolo = '%2' order by 1")
                             .arg(kind.table, protocolo));
    }
    RecoveryReport resolve(int unansweredAfter = 3600)
    {
        return resolveProvisionalBatches(db, logFolder, unansweredAfter);
    }
    int sending(const KindCase &kind) const
    {
        return count(QStringLiteral("select count(*) from %1 where TavroSituacao = 'Enviando'").arg(kind.table));
    }

    RunReport last;
    QList<QStringList> recorded; // the last batch as its own run recorded it
};

class RecoveryOfEachKind : public Recovery, public ::testing::WithParamInterface<KindCase>
{
};

} // namespace

// Killed after the answer arrived and before its commit: the records stay "Enviando", so
// another station's transmitter takes none of them, and the resolution finishes the batch
// from its answer log exactly as its run would have, once.
TEST_P(RecoveryOfEachKind, KilledBeforeTheAnswersCommitIsFinishedFromItsAnswerLog)
{
    const KindCase &kind = GetParam();
    const QString provisorio = send(kind, fixture, db);
    ASSERT_FALSE(provisorio.isEmpty());
    ASSERT_TRUE(provisorio.startsWith(QStringLiteral("ENV")));
    ASSERT_LE(provisorio.size(), 25);
    dieBeforeTheAnswersCommit(fixture, kind, provisorio);
    EXPECT_EQ(sending(kind),
              count(QStringLiteral("select count(*) from %1 where TavroProtocolo = '%2'").arg(kind.table, provisorio)));
    EXPECT_GT(sending(kind), 0);

    // Another station: its own program, its own log folder, the same database.
    QTemporaryDir otherFolder;
    Database other;
    other.open(fixture.path());
    const std::unique_ptr<SoapClient> otherClient = makeClient(otherFolder.path());
    const QString protocolo = last.retornos->value(0);
    run(kind, other, *otherClient, 500); // sends the period's other records, if any
    other.rollback();
    EXPECT_EQ(count(QStringLiteral("select count(*) from %1 where TavroProtocolo = '%2' and TavroSituacao = "
                                   "'Enviando'")
                        .arg(kind.table, provisorio)),
              2);

    const RecoveryReport report = resolve();
    EXPECT_TRUE(report.failures.isEmpty()) << report.failures.join('\n').toStdString();
    ASSERT_EQ(report.recovered.size(), 1);
    EXPECT_TRUE(report.recovered[0].contains(provisorio));
    EXPECT_EQ(sending(kind), 0);
    EXPECT_EQ(batchState(fixture, kind, protocolo), recorded);

    const QList<QStringList> once = state(fixture, kind);
    const RecoveryReport again = resolve();
    EXPECT_TRUE(again.recovered.isEmpty());
    EXPECT_EQ(state(fixture, kind), once);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RecoveryOfEachKind, ::testing::ValuesIn(kindCases()),
                         [](const ::testing::TestParamInfo<KindCase> &info) { return info.param.id; });

// Without its answer log the batch waits out the time a call may take, is then shown "Sem
// resposta" (date, kind, records), and its records stay out of every batch until the clerk
// releases them; the nightly release takes only batches older than its hours.
TEST_F(Recovery, WithoutAnswerLogABatchIsShownSemRespostaUntilReleased)
{
    const KindCase &stock = kindCases().front();
    const QString provisorio = send(stock, fixture, db);
    ASSERT_FALSE(provisorio.isEmpty());
    dieBeforeTheAnswersCommit(fixture, stock, provisorio);
    ASSERT_TRUE(QFile::remove(QDir(logFolder).filePath(provisorio + QStringLiteral("_res.xml"))));

    RecoveryReport report = resolve();
    EXPECT_TRUE(report.unanswered.isEmpty()) << "a batch within its call's time may still be answered";
    EXPECT_EQ(fixture.scalar(QStringLiteral("select Situacao from TavroProtocolos")), QStringLiteral("Enviando"));

    report = resolve(0);
    EXPECT_EQ(report.newlyUnanswered, 1);
    ASSERT_EQ(report.unanswered.size(), 1);
    EXPECT_EQ(report.unanswered[0].protocolo, provisorio);
    EXPECT_EQ(report.unanswered[0].tipo, QStringLiteral("Estoque"));
    EXPECT_EQ(report.unanswered[0].registros, 2);
    EXPECT_TRUE(unansweredLine(report.unanswered[0]).contains(report.unanswered[0].data));
    EXPECT_EQ(fixture.scalar(QStringLiteral("select Situacao from TavroProtocolos")), QStringLiteral("Sem resposta"));
    EXPECT_EQ(unresolvedBatchIds(db), QStringList{provisorio});
    EXPECT_EQ(resolve(0).newlyUnanswered, 0);
    EXPECT_EQ(run(stock, db, *client), RunEnds{RunResult::End::Sent});
    EXPECT_EQ(sending(stock), 2) << "a new batch took a record without answer";

    const QList<QStringList> held = fixture.rows(
        QStringLiteral("select lancamento from conciliacao where TavroProtocolo = '%1'").arg(provisorio));
    EXPECT_TRUE(releaseUnansweredOlderThan(db, 24).isEmpty());
    fixture.exec(QStringLiteral("update TavroProtocolos set Data = substring(cast(dateadd(-25 hour to "
                                "current_timestamp) as varchar(30)) from 1 for 19) where Protocolo = '%1'")
                     .arg(provisorio));
    const QList<UnansweredBatch> released = releaseUnansweredOlderThan(db, 24);
    ASSERT_EQ(released.size(), 1);
    EXPECT_EQ(released[0].registros, 2);
    EXPECT_EQ(sending(stock), 0);
    EXPECT_EQ(
        fixture.scalar(QStringLiteral("select Situacao from TavroProtocolos where Protocolo = '%1'").arg(provisorio)),
        QStringLiteral("Liberado"));
    EXPECT_FALSE(releaseUnanswered(db, provisorio)) << "released once";
    EXPECT_TRUE(unresolvedBatchIds(db).isEmpty());
    EXPECT_EQ(run(stock, db, *client, 500), RunEnds{RunResult::End::Sent});
    for (const QStringList &record : held)
        EXPECT_EQ(fixture.scalar(
                      QStringLiteral("select TavroSituacao from conciliacao where lancamento = %1").arg(record[0])),
                  QStringLiteral("Aguardando"));
}

// The clerk's release of a rectification gives the records back to the protocol they were
// rectifying, "Ok" as before.
TEST_F(Recovery, ReleaseGivesRectifiedRecordsBackToTheirProtocol)
{
    const KindCase &stock = kindCases().front();
    ASSERT_FALSE(send(stock, fixture, db).isEmpty());
    const QString ok = last.retornos->value(0);
    fixture.exec(QStringLiteral("update conciliacao set TavroSituacao = 'Ok', TavroSituacaoPrioridade = 40, "
                                "TavroCoRegistro = '77' where TavroProtocolo = '%1'")
                     .arg(ok));
    const QList<QStringList> before = state(fixture, stock);
    input.protocolo = ok;
    const QString provisorio = send(stock, fixture, db);
    ASSERT_FALSE(provisorio.isEmpty());
    dieBeforeTheAnswersCommit(fixture, stock, provisorio);
    ASSERT_TRUE(QFile::remove(QDir(logFolder).filePath(provisorio + QStringLiteral("_res.xml"))));
    resolve(0);
    EXPECT_TRUE(releaseUnanswered(db, provisorio));
    QList<QStringList> expected = before;
    // The released row forgets the protocol it gave its records back to.
    expected.insert(1,
                    {provisorio, QString(), QStringLiteral("Liberado"), QStringLiteral("100"),
                     QStringLiteral("Estoque"), input.cnes, QStringLiteral("<null>")});
    QList<QStringList> after = state(fixture, stock);
    ASSERT_EQ(after.size(), expected.size());
    after[1][1] = QString(); // its moment
    EXPECT_EQ(after, expected);
}

// Two databases logging into one folder: each resolves only the batches it wrote ahead,
// by their own names, so B is never touched by A's logs.
TEST_F(Recovery, TwoDatabasesSharingALogFolderLeaveEachOtherAlone)
{
    const KindCase &stock = kindCases().front();
    TestDatabase fixtureB;
    Database dbB;
    dbB.open(fixtureB.path());
    const QString ofA = send(stock, fixture, db);
    ASSERT_FALSE(ofA.isEmpty());
    dieBeforeTheAnswersCommit(fixture, stock, ofA);
    const QList<QStringList> stateOfA = state(fixture, stock);

    const QList<QStringList> untouchedB = state(fixtureB, stock);
    resolveProvisionalBatches(dbB, logFolder, 0);
    EXPECT_EQ(state(fixtureB, stock), untouchedB);
    EXPECT_EQ(state(fixture, stock), stateOfA);

    // B's own batch, of the same serial number as A's, finishes from B's answer only.
    const QString ofB = send(stock, fixtureB, dbB);
    ASSERT_FALSE(ofB.isEmpty());
    EXPECT_NE(ofB, ofA);
    const QString protocoloB = last.retornos->value(0);
    dieBeforeTheAnswersCommit(fixtureB, stock, ofB);
    EXPECT_EQ(resolveProvisionalBatches(dbB, logFolder, 0).recovered.size(), 1);
    EXPECT_EQ(fixtureB.scalar(QStringLiteral("select Protocolo from TavroProtocolos")), protocoloB);
    EXPECT_EQ(state(fixture, stock), stateOfA);
}

namespace {

// What became of a batch's answer log before the resolution reads it.
struct AnswerLogCase
{
    const char *name;
    std::function<QByteArray(const QByteArray &log, const QByteArray &other)> change;
};

void PrintTo(const AnswerLogCase &c, std::ostream *os)
{
    *os << c.name;
}

class DoubtfulAnswerLog : public Recovery, public ::testing::WithParamInterface<AnswerLogCase>
{
};

} // namespace

// An answer log that is empty, cut short (a power cut before its data reached the disk, a
// log of an older version) or answers another request (a log of another database under a
// colliding name) says nothing of this batch: it is named and left alone, and the batch is
// never taken for refused.
TEST_P(DoubtfulAnswerLog, IsNamedAndTheBatchStaysHeld)
{
    const KindCase &stock = kindCases().front();
    const QString other = send(stock, fixture, db);
    ASSERT_FALSE(other.isEmpty());
    const QString provisorio = send(stock, fixture, db);
    ASSERT_FALSE(provisorio.isEmpty());
    dieBeforeTheAnswersCommit(fixture, stock, provisorio);
    const QString answerPath = QDir(logFolder).filePath(provisorio + QStringLiteral("_res.xml"));
    QFile answer(answerPath);
    QFile otherAnswer(QDir(logFolder).filePath(other + QStringLiteral("_res.xml")));
    ASSERT_TRUE(answer.open(QIODevice::ReadOnly));
    ASSERT_TRUE(otherAnswer.open(QIODevice::ReadOnly));
    const QByteArray changed = GetParam().change(answer.readAll(), otherAnswer.readAll());
    answer.close();
    ASSERT_TRUE(answer.open(QIODevice::WriteOnly | QIODevice::Truncate));
    answer.write(changed);
    answer.close();

    const RecoveryReport report = resolve(0);
    EXPECT_TRUE(report.recovered.isEmpty());
    EXPECT_TRUE(report.released.isEmpty()) << report.released.join('\n').toStdString();
    ASSERT_EQ(report.ignoredLogs.size(), 1);
    EXPECT_TRUE(report.ignoredLogs[0].contains(provisorio + QStringLiteral("_res.xml")));
    ASSERT_EQ(report.unanswered.size(), 1);
    EXPECT_EQ(
        fixture.scalar(QStringLiteral("select Situacao from TavroProtocolos where Protocolo = '%1'").arg(provisorio)),
        QStringLiteral("Sem resposta"));
    EXPECT_EQ(count(QStringLiteral("select count(*) from conciliacao where TavroProtocolo = '%1'").arg(provisorio)), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, DoubtfulAnswerLog,
    ::testing::Values(
        AnswerLogCase{"Empty", [](const QByteArray &, const QByteArray &) { return QByteArray(); }},
        AnswerLogCase{"Cut", [](const QByteArray &log, const QByteArray &) { return log.left(log.size() / 2); }},
        AnswerLogCase{"OfAnotherRequest", [](const QByteArray &, const QByteArray &other) { return other; }}),
    [](const ::testing::TestParamInfo<AnswerLogCase> &info) { return std::string(info.param.name); });

// A run that died between the write-ahead and the commit that lets its request leave (killed,
// or its database connection cut) leaves the batch "Preparando": it provably never left, so
// the next resolution gives its records back at once, without waiting and without the clerk,
// and keeps its registry row as "Não enviado".
TEST_F(Recovery, ABatchThatNeverLeftIsReleasedAtOnce)
{
    const KindCase &stock = kindCases().front();
    const QString provisorio = send(stock, fixture, db);
    ASSERT_FALSE(provisorio.isEmpty());
    dieBeforeTheAnswersCommit(fixture, stock, provisorio);
    fixture.exec(
        QStringLiteral("update TavroProtocolos set Situacao = 'Preparando' where Protocolo = '%1'").arg(provisorio));
    const RecoveryReport report = resolve(3600);
    ASSERT_EQ(report.released.size(), 1);
    EXPECT_TRUE(report.released[0].contains(provisorio));
    EXPECT_EQ(sending(stock), 0);
    EXPECT_EQ(
        fixture.scalar(QStringLiteral("select Situacao from TavroProtocolos where Protocolo = '%1'").arg(provisorio)),
        QStringLiteral("Não enviado"));
    EXPECT_EQ(run(stock, db, *client, 500), RunEnds{RunResult::End::Sent});
}
