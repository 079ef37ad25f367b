#include "FaultFixture.h"
#include "RowHolder.h"
#include "ServerProxy.h"

#include "common/Status.h"
#include "followup/ProtocolFollowup.h"

#include <QFile>

using namespace tavro;
using namespace tavro::test;
using namespace std::chrono_literals;
using Fault = FaultFixture::Fault;

namespace {

enum class Check { Processamento, Inconsistencia };

// A stock batch accepted by the healthy substitute, whose processing finishes at the first question.
class FollowupFault : public FaultFixture, public ::testing::WithParamInterface<std::tuple<Check, FaultCase>>
{
protected:
    QString sendBatch(const QStringList &serviceArguments = {})
    {
        useService(QStringList{QStringLiteral("--aguardando"), QStringLiteral("0")} + serviceArguments);
        return sendFirstBatch(kindCases().front(), 500);
    }

    // The check as the protocol tab runs it, with the cells of the protocol's registry row.
    QString run(Check check, const QString &protocolo)
    {
        const QStringList c = registryCells(fixture, protocolo);
        if (c.size() != 5)
            return QStringLiteral("no registry row for %1").arg(protocolo);
        ProtocolFollowup followup(db, *client, [](const QString &) {});
        const QString result = check == Check::Processamento
            ? followup.ProtocolosVerificarProcessamento(c[0], c[1], c[2], c[3], c[4])
            : followup.ProtocolosVerificarInconsistencia(c[0], c[1], c[2], c[3], c[4]);
        m_lastError = followup.lastError();
        return result;
    }

    QString m_lastError;
};

} // namespace

// A check whose call meets a fault writes nothing and lowers nothing; the same check
// against the healthy service then succeeds.
TEST_P(FollowupFault, CheckFailsCleanAndTheNextCheckSucceeds)
{
    const auto &[check, c] = GetParam();
    const QString protocolo = sendBatch();
    ASSERT_FALSE(protocolo.isEmpty());
    if (check == Check::Inconsistencia) {
        ASSERT_EQ(run(Check::Processamento, protocolo), Situacao::Finalizado) << m_lastError.toStdString();
    }
    const Snapshot before = snapshot();

    useFaultyService(c.fault);
    EXPECT_EQ(run(check, protocolo), QString());
    EXPECT_TRUE(m_lastError.contains(c.message)) << m_lastError.toStdString();
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(snapshot().recordPriorities, before.recordPriorities);
    EXPECT_EQ(snapshot().protocolPriorities, before.protocolPriorities);
    expectConsistent(before);

    if (c.fault == Fault::LogFolderIsAFile)
        QFile::remove(logFolder);
    useService();
    EXPECT_NE(run(check, protocolo), QString()) << m_lastError.toStdString();
    expectConsistent(before);
}

INSTANTIATE_TEST_SUITE_P(
    EachCall, FollowupFault,
    ::testing::Combine(::testing::Values(Check::Processamento, Check::Inconsistencia),
                       ::testing::ValuesIn(callFaults(QStringLiteral("Elemento ausente na resposta")))),
    [](const ::testing::TestParamInfo<std::tuple<Check, FaultCase>> &info) {
        return std::string(std::get<0>(info.param) == Check::Processamento ? "Processamento" : "Inconsistencia")
            + std::get<1>(info.param).name;
    });

// An inconsistency whose code is outside the catalogue (the service added it) no longer
// blocks the protocol: its record is "Inconsistência", every record of the batch gets
// a final status, and so does the protocol.
TEST_F(FollowupFault, CodeOutsideTheCatalogue)
{
    const QString protocolo = sendBatch({QStringLiteral("--codigo-fora"), QStringLiteral("E999")});
    ASSERT_EQ(run(Check::Processamento, protocolo), Situacao::Finalizado) << m_lastError.toStdString();
    const Snapshot before = snapshot();
    EXPECT_EQ(run(Check::Inconsistencia, protocolo), Situacao::Inconsistencia) << m_lastError.toStdString();
    EXPECT_EQ(
        fixture.scalar(QStringLiteral("select Situacao from TavroProtocolos where Protocolo = '%1'").arg(protocolo)),
        Situacao::Inconsistencia);
    EXPECT_EQ(fixture
                  .scalar(QStringLiteral("select count(*) from conciliacao where TavroProtocolo = '%1' "
                                         "and TavroSituacao = 'Inconsistência'")
                              .arg(protocolo))
                  .toInt(),
              1);
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroProtocolo = '%1' "
                                            "and TavroSituacao not in ('Ok', 'Ok (Inc.)', 'Inconsistência')")
                                 .arg(protocolo)),
              QStringLiteral("0"));
    expectConsistent(before);
}

// Every call of a slow service still ends within the time-out, and both checks finish.
TEST_F(FollowupFault, SlowService)
{
    const QString protocolo = sendBatch({QStringLiteral("--atraso"), QStringLiteral("1200")});
    const Snapshot before = snapshot();
    EXPECT_EQ(run(Check::Processamento, protocolo), Situacao::Finalizado) << m_lastError.toStdString();
    EXPECT_NE(run(Check::Inconsistencia, protocolo), QString()) << m_lastError.toStdString();
    expectConsistent(before);
}

// Another workstation holds the protocol's records while the processing check raises
// them: when it commits, the check fails and is undone; the next check succeeds.
TEST_F(FollowupFault, LockConflictOnTheProtocolsRecords)
{
    const QString protocolo = sendBatch();
    const Snapshot before = snapshot();
    {
        const RowHolder holder(fixture.path(),
                               QStringLiteral("update conciliacao set quantidade = quantidade "
                                              "where TavroProtocolo = '%1'")
                                   .arg(protocolo),
                               1500ms, RowHolder::End::Commit);
        ASSERT_GT(holder.heldRows(), 0);
        db.restartTransaction(); // the check's transaction starts before the holder commits
        EXPECT_EQ(run(Check::Processamento, protocolo), QString());
    }
    EXPECT_TRUE(m_lastError.contains(QStringLiteral("update conflicts"))) << m_lastError.toStdString();
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(snapshot().recordPriorities, before.recordPriorities);
    expectConsistent(before);
    EXPECT_EQ(run(Check::Processamento, protocolo), Situacao::Finalizado) << m_lastError.toStdString();
    expectConsistent(before);
}

// The Firebird server goes away while the processing check waits for its answer: the
// check fails, the server keeps none of its writes, and a check on a new connection
// finishes the protocol.
TEST_F(FollowupFault, DatabaseServerGoneDuringTheCheck)
{
    const std::unique_ptr<ServerProxy> proxy = serverBehindProxy();
    if (!proxy)
        GTEST_SKIP() << NoTestServer;
    // The answer to the check's call (the second) waits until the server has gone.
    const QString protocolo = sendBatch({QStringLiteral("--reter"), QStringLiteral("2")});
    ASSERT_FALSE(protocolo.isEmpty());
    const Snapshot before = snapshot();
    const ServerGoneDuringPost serverGone(*proxy, *sim);

    QString result;
    EXPECT_NO_THROW(result = run(Check::Processamento, protocolo));
    EXPECT_EQ(result, QString());
    EXPECT_TRUE(m_lastError.contains(QStringLiteral("connection"))) << m_lastError.toStdString();

    db.open(fixture.address());
    EXPECT_EQ(snapshot().recordPriorities, before.recordPriorities);
    expectConsistent(before);
    EXPECT_EQ(run(Check::Processamento, protocolo), Situacao::Finalizado) << m_lastError.toStdString();
    expectConsistent(before);
}
