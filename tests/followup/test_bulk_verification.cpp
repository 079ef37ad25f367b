#include "FollowupFixture.h"

#include <functional>

#include "common/ProgressObserver.h"
#include "common/Status.h"
#include "followup/BulkVerification.h"
#include "followup/ProtocolList.h"
#include "lists/RecordList.h"
#include "transmission/StatusWrites.h"

using namespace tavro;
using tavro::test::FollowupFixture;

namespace {

class Bulk : public FollowupFixture
{
protected:
    // Loads the list as the tab shows it, walks it and reloads it; the status cells by
    // protocol, oldest first, as they stood before the reload.
    QStringList walk(int vezes, const ProtocolFilter &filter = allProtocols())
    {
        std::unique_ptr<RecordList> list(newProtocolList(nullptr));
        CarregaProtocolos(m_db, filter, m_login.UsuarioSessao, *list);
        verificarTodosProtocolos(*m_checks, *list, vezes, [this] { ++m_repaints; });
        QStringList cells;
        for (int row = list->rowCount() - 1; row >= 0; --row)
            cells << list->subCell(row, ProtocolCell::Situacao);
        return cells;
    }
    static ProtocolFilter allProtocols()
    {
        ProtocolFilter filter;
        filter.todosCnes = true;
        return filter;
    }
    // Processing requests the substitute received since the last call.
    int processingRequests()
    {
        return int(m_sim->requests().filter(QStringLiteral("consultarResultadoProcessamento")).size());
    }

    int m_repaints = 0;
};

} // namespace

TEST_F(Bulk, FinishedProtocolReachesOkInOneRepetitionWhileAWaitingOneStays)
{
    startSim({"--aguardando", "1"});
    const QString finishing = m_sender->send(Tipo::Estoque, {"5001", "5002"});
    ASSERT_EQ(processamento(finishing), Situacao::Aguardando); // its next answer is FINALIZADO
    const QString waiting = m_sender->send(Tipo::Dispensacao, {"3001-1"});
    processingRequests();

    EXPECT_EQ(walk(1), (QStringList{Situacao::Ok, Situacao::Aguardando}));
    EXPECT_EQ(m_repaints, 2); // "Finalizado", then "Ok"
    EXPECT_EQ(processingRequests(), 2);
    EXPECT_EQ(protocolRow(finishing), (QStringList{Situacao::Ok, "40"}));
    EXPECT_EQ(record(Tipo::Estoque, "5002").mid(0, 2), (QStringList{Situacao::Ok, "40"}));
    EXPECT_EQ(protocolRow(waiting), (QStringList{Situacao::Aguardando, "10"}));
}

TEST_F(Bulk, EachRepetitionAsksAgainForAProtocolStillWaiting)
{
    startSim({"--aguardando", "5"});
    const QString waiting = m_sender->send(Tipo::Saida, {"2001-1"});
    processingRequests();
    EXPECT_EQ(walk(3), QStringList{Situacao::Aguardando});
    EXPECT_EQ(processingRequests(), 3);
    EXPECT_EQ(walk(0), QStringList{Situacao::Aguardando});
    EXPECT_EQ(walk(-2), QStringList{Situacao::Aguardando});
    EXPECT_EQ(processingRequests(), 0);
    EXPECT_EQ(m_repaints, 0);
}

TEST_F(Bulk, OnlyTheShownRowsThatNeedACheckAreWalked)
{
    startSim({"--aguardando", "0"});
    const QString ok = m_sender->send(Tipo::Entrada, {"1001-1"});
    ASSERT_EQ(processamento(ok), Situacao::Finalizado);
    ASSERT_EQ(inconsistencia(ok), Situacao::Ok);
    const QString waiting = m_sender->send(Tipo::Entrada, {"1002-1"});
    processingRequests();

    ProtocolFilter okOnly = allProtocols();
    okOnly.status.aguardando = okOnly.status.finalizados = okOnly.status.inconsistencias = okOnly.status.okRetificado
        = false;
    EXPECT_EQ(walk(2, okOnly), QStringList{Situacao::Ok});
    EXPECT_EQ(processingRequests(), 0);
    EXPECT_EQ(walk(1), (QStringList{Situacao::Ok, Situacao::Ok}));
    EXPECT_EQ(protocolRow(waiting), (QStringList{Situacao::Ok, "40"}));
}

TEST_F(Bulk, UnreachableServiceLeavesEveryRowAsItWas)
{
    startSim({"--aguardando", "0"});
    const QString a = m_sender->send(Tipo::Estoque, {"5001"});
    const QString b = m_sender->send(Tipo::Saida, {"2001-1"});
    useUnreachableService();
    EXPECT_EQ(walk(2), (QStringList{Situacao::Aguardando, Situacao::Aguardando}));
    EXPECT_EQ(m_repaints, 0);
    EXPECT_EQ(protocolRow(a), (QStringList{Situacao::Aguardando, "10"}));
    EXPECT_EQ(protocolRow(b), (QStringList{Situacao::Aguardando, "10"}));
}

TEST_F(Bulk, AFailedCheckOfTheWalkIsNotCommittedByALaterOne)
{
    startSim({"--aguardando", "0"});
    // The older protocol's check stores a code, then fails on a key that names no number.
    const QString broken = m_sender->send(Tipo::Saida, {"2001-1", "x-1"}, {}, {"x-1"});
    const QString sound = m_sender->send(Tipo::Saida, {"2003-1"});
    EXPECT_EQ(walk(1), (QStringList{Situacao::Aguardando, Situacao::Ok}));
    EXPECT_EQ(protocolRow(sound), (QStringList{Situacao::Ok, "40"}));
    EXPECT_EQ(record(Tipo::Saida, "2001-1").mid(0, 4), (QStringList{Situacao::Aguardando, "10", broken, "<null>"}));
}

// Stops the walk once `rows` rows have been reported, or once `when` says so, and keeps
// every report.
class StopAfter : public ProgressObserver
{
public:
    explicit StopAfter(
        int rows, std::function<bool()> when = [] { return false; })
        : m_rows(rows)
        , m_when(std::move(when))
    {
    }
    void progressed(const Progress &progress) override { reports.append(progress); }
    bool stopRequested() override { return reports.size() >= m_rows || m_when(); }

    QList<Progress> reports;

private:
    int m_rows;
    std::function<bool()> m_when;
};

TEST_F(Bulk, AStopEndsTheWalkBeforeTheNextCheckWhenEverItWasAsked)
{
    startSim({"--aguardando", "0"});
    const QString older = m_sender->send(Tipo::Estoque, {"5001"});
    const QString newer = m_sender->send(Tipo::Saida, {"2001-1"});
    processingRequests();
    std::unique_ptr<RecordList> list(newProtocolList(nullptr));
    CarregaProtocolos(m_db, allProtocols(), m_login.UsuarioSessao, *list);

    // Asked while the first row is reported: no check at all.
    StopAfter atOnce(1);
    verificarTodosProtocolos(
        *m_checks, *list, 3, [] {}, &atOnce);
    ASSERT_EQ(atOnce.reports.size(), 1);
    EXPECT_EQ(atOnce.reports.first().work, Progress::Work::Verificacao);
    EXPECT_EQ(atOnce.reports.first().current, 1);
    EXPECT_EQ(atOnce.reports.first().total, 2);
    EXPECT_EQ(atOnce.reports.first().rounds, 3);
    EXPECT_EQ(processingRequests(), 0);

    // Asked while the older protocol's processing check waited: its inconsistency check
    // does not go out, nor anything after it.
    StopAfter duringACheck(1000, [&] { return protocolRow(older).value(0) == Situacao::Finalizado; });
    verificarTodosProtocolos(
        *m_checks, *list, 3, [] {}, &duringACheck);
    const QStringList requests = m_sim->requests();
    EXPECT_EQ(requests.filter(QStringLiteral("consultarResultadoProcessamento")).size(), 1);
    EXPECT_EQ(requests.filter(QStringLiteral("consultarInconsistencias")).size(), 0);
    EXPECT_EQ(protocolRow(older), (QStringList{Situacao::Finalizado, "20"}));
    EXPECT_EQ(protocolRow(newer), (QStringList{Situacao::Aguardando, "10"}));

    StopAfter never(1000);
    CarregaProtocolos(m_db, allProtocols(), m_login.UsuarioSessao, *list);
    verificarTodosProtocolos(
        *m_checks, *list, 2, [] {}, &never);
    EXPECT_EQ(never.reports.size(), 4); // two rows, twice
    EXPECT_EQ(never.reports.last().round, 2);
    EXPECT_EQ(protocolRow(older), (QStringList{Situacao::Ok, "40"}));
    EXPECT_EQ(protocolRow(newer), (QStringList{Situacao::Ok, "40"}));
}
