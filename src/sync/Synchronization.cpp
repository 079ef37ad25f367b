#include "sync/Synchronization.h"

#include "common/Error.h"
#include "common/ProgressObserver.h"
#include "common/Status.h"
#include "db/Database.h"
#include "followup/BulkVerification.h"
#include "followup/ProtocolFollowup.h"
#include "followup/ProtocolList.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/ErrorHint.h"
#include "session/IniFile.h"
#include "sync/Pendencias.h"
#include "transmission/HeldBatches.h"
#include "transmission/ProtocolRecovery.h"
#include "transmission/SendOperation.h"
#include "transmission/StatusWrites.h"
#include "transmission/TransmissionKind.h"

#include <algorithm>
#include <memory>

namespace tavro {

namespace {

// Refusal lines a summary shows per kind.
constexpr int MessagesShown = 5;
// Runs a kind may spend on the service texts that let the transmit loop go on, beyond
// those its records need; past them the kind counts as failed.
constexpr int PassingFaultRuns = 3;

// After a failure: a connection too broken to roll back holds nothing a later commit could carry.
void rollbackQuietly(Database &db)
{
    try {
        db.rollback();
    } catch (const Error &) {
    }
}

// One line in the run log per batch the service accepted.
class BatchSteps : public SendObserver
{
public:
    // `observer`, when there is one, follows the send's progress and may stop it.
    BatchSteps(const std::function<void(const QString &)> &step, const QString &prefix, ProgressObserver *observer,
               TransmitKind kind, const RefusalSink &refused)
        : m_step(step)
        , m_prefix(prefix)
        , m_observer(observer)
        , m_kind(kind)
        , m_refused(refused)
    {
    }
    void progressed(const Progress &progress) override
    {
        if (!m_observer)
            return;
        Progress named = progress; // which kind and month of the run this batch is of
        named.etapa = m_prefix;
        m_observer->progressed(named);
    }
    bool stopRequested() override { return m_observer && m_observer->stopRequested(); }
    void runEnded(const SendRun &run) override
    {
        if (m_refused) {
            for (const TransmissionAccount::Line &line : run.novas)
                m_refused(m_kind, line);
        }
        if (run.result == RunResult::Transmitido)
            m_step(QStringLiteral("%1: lote %2 com %3 registros")
                       .arg(m_prefix, run.report.retornos ? run.report.retornos->value(0) : QString())
                       .arg(run.report.enviados));
    }

private:
    const std::function<void(const QString &)> &m_step;
    QString m_prefix;
    ProgressObserver *m_observer;
    TransmitKind m_kind;
    const RefusalSink &m_refused;
};

class Synchronizer
{
public:
    Synchronizer(Database &db, SoapClient &client, const SyncUnit &unit, const SyncRequest &request,
                 const std::function<void(const QString &)> &step, SyncSummary &summary, ProgressObserver *observer,
                 const RefusalSink &refused)
        : m_db(db)
        , m_client(client)
        , m_unit(unit)
        , m_request(request)
        , m_step(step)
        , m_summary(summary)
        , m_observer(observer)
        , m_refused(refused)
    {
        for (const TransmitKind kind : AllTransmitKinds) {
            if (request.kinds.contains(kind)) {
                m_kinds.append(kind);
                KindSummary entry;
                entry.name = kindEntry(kind).name;
                m_summary.kinds.append(entry);
            }
        }
    }

    void transmitAll(const QList<Period> &periods)
    {
        for (const MovementKind list : AllMovementKinds) {
            QList<TransmitKind> kinds;
            for (const TransmitKind kind : m_kinds) {
                if (kindEntry(kind).list == list)
                    kinds.append(kind);
            }
            if (kinds.isEmpty())
                continue;
            // The dispensations without a card go first: their checks write a line for every
            // patient with a card, which on a list the card holders' batches have already
            // rewritten would come on top of its largest size.
            std::stable_partition(kinds.begin(), kinds.end(),
                                  [](TransmitKind kind) { return kind == TransmitKind::SemCartao; });
            for (const Period &period : periods) {
                if (stopped())
                    return;
                if (list != MovementKind::Estoque) {
                    transmitList(kinds, listSearch(list, period, QString()), period.text());
                    continue;
                }
                QStringList days;
                if (!guard(kinds, period.text(), [&] { days = pendingStockDays(m_db, m_unit.cnes, period); }))
                    continue;
                for (const QString &dia : days) {
                    if (stopped())
                        return;
                    transmitList(kinds, listSearch(list, period, dia), dia);
                }
            }
        }
    }

    void followUp(const QString &usuarioSessao)
    {
        if (stopped())
            return;
        ProtocolFilter filter;
        filter.cnes = m_unit.cnes;
        filter.estoque = m_kinds.contains(TransmitKind::Estoque);
        filter.entradas = m_kinds.contains(TransmitKind::Entradas);
        filter.saidas = m_kinds.contains(TransmitKind::Saidas);
        filter.dispensacoes = m_kinds.contains(TransmitKind::Dispensacoes) || m_kinds.contains(TransmitKind::SemCartao);
        filter.status.inconsistencias = filter.status.ok = filter.status.okRetificado = false;
        filter.retidos = false; // no check asks the service about a batch without its protocol
        const std::unique_ptr<RecordList> list(newProtocolList(nullptr));
        CarregaProtocolos(m_db, filter, usuarioSessao, *list);
        m_step(QStringLiteral("acompanhamento: %1 protocolos a verificar, %2 vezes")
                   .arg(list->rowCount())
                   .arg(m_request.vezes));

        ProtocolFollowup checks(m_db, m_client, [](const QString &) {});
        const QList<FailedCheck> failed = verificarTodosProtocolos(
            checks, *list, m_request.vezes, [] {}, m_observer);
        stopped(); // a stop during the walk
        m_summary.failedChecks += failed;
        for (const FailedCheck &check : failed)
            m_step(QStringLiteral("acompanhamento: falha no protocolo %1: %2").arg(check.protocolo, check.message));
        for (const MovementKind listed : AllMovementKinds) {
            const QString &tipo = listKind(listed).tipo;
            FollowupSummary kind;
            kind.tipo = tipo;
            for (int row = 0; row < list->rowCount(); ++row) {
                if (list->subCellView(row, ProtocolCell::Tipo) != tipo)
                    continue;
                const QString situacao = list->subCell(row, ProtocolCell::Situacao);
                ++kind.checked;
                ++kind.statuses[situacao];
                if (situacao == Situacao::Aguardando || situacao == Situacao::Finalizado)
                    ++kind.waiting;
            }
            if (kind.checked > 0) {
                m_step(QStringLiteral("acompanhamento %1: %2 verificados, %3 aguardando o serviço")
                           .arg(tipo)
                           .arg(kind.checked)
                           .arg(kind.waiting));
                m_summary.followup.append(kind);
            }
        }
        m_db.rollback();
    }

private:
    // Asked between lists, batches and checks; notes in the summary that the run was stopped.
    bool stopped()
    {
        if (m_observer && m_observer->stopRequested() && !m_summary.interrupted) {
            m_summary.interrupted = true;
            m_step(QStringLiteral("interrompida pelo usuário"));
        }
        return m_summary.interrupted;
    }

    ListSearch listSearch(MovementKind list, const Period &period, const QString &dia) const
    {
        ListSearch search;
        search.kind = list;
        search.unidade = list == MovementKind::Estoque ? m_unit.cnes : m_unit.codigo;
        search.period = period;
        search.dia = dia;
        // Every record, whatever its status: a status outside the vocabulary is still sent.
        search.status = StatusBoxes{false, false, false, false, false};
        return search;
    }

    KindSummary &summaryOf(TransmitKind kind) { return m_summary.kinds[m_kinds.indexOf(kind)]; }

    // Runs `work`; an error becomes a failure of every kind of the list.
    bool guard(const QList<TransmitKind> &kinds, const QString &label, const std::function<void()> &work)
    {
        try {
            work();
            return true;
        } catch (const Error &error) {
            for (const TransmitKind kind : kinds)
                fail(kind, label, error.message());
            rollbackQuietly(m_db);
            return false;
        }
    }

    void fail(TransmitKind kind, const QString &label, const QString &message)
    {
        summaryOf(kind).failures.append(label + QStringLiteral(": ") + message);
        m_step(QStringLiteral("%1 %2: falha: %3").arg(kindEntry(kind).name, label, message));
    }

    // One list, and the transmit loop of each kind that reads it (the dispensation list
    // serves the dispensations with a card and those without).
    void transmitList(const QList<TransmitKind> &kinds, const ListSearch &search, const QString &label)
    {
        const std::unique_ptr<RecordList> list(newMovementList(search.kind, nullptr));
        if (!guard(kinds, label, [&] { fillMovementList(m_db, search, *list); }))
            return;
        m_step(QStringLiteral("%1 %2: %3 registros listados")
                   .arg(kindEntry(kinds.first()).name, label)
                   .arg(list->rowCount()));
        for (const TransmitKind kind : kinds) {
            if (stopped())
                break;
            ++summaryOf(kind).lists;
            transmitKind(kind, *list, search.dia, label);
        }
        for (const TransmitKind kind : kinds)
            countLeftOver(kind, *list, label);
        m_summary.addPendencias(pendenciaCounts(search.kind, *list));
    }

    void transmitKind(TransmitKind kind, RecordList &list, const QString &dia, const QString &label)
    {
        const int situacao = kindEntry(kind).listKind().cells.situacao;
        int sendable = 0;
        for (int row = 0; row < list.rowCount(); ++row) {
            if (sendableInNewBatch(list.subCellView(row, situacao)))
                ++sendable;
        }
        if (sendable == 0)
            return;
        const int lote = qMax(1, m_request.lote);
        SendRequest request;
        request.kind = kind;
        request.input.cnes = m_unit.cnes;
        request.input.ibge = m_unit.ibge;
        request.input.dia = dia;
        request.input.loteMaximo = lote;
        request.vezes = (sendable + lote - 1) / lote + 1 + PassingFaultRuns;
        BatchSteps steps(m_step, kindEntry(kind).name + QLatin1Char(' ') + label, m_observer, kind, m_refused);
        const SendOutcome outcome = transmit(m_db, m_client, list, request, steps);
        KindSummary &summary = summaryOf(kind);
        summary.batches += outcome.lotes;
        summary.sent += outcome.enviados;
        if (outcome.end == SendOutcome::End::StoppedByUser) {
            stopped();
            return;
        }
        switch (outcome.end) {
        case SendOutcome::End::AllSent:
            break;
        case SendOutcome::End::NotStarted:
        case SendOutcome::End::Aborted:
            fail(kind, label,
                 outcome.unitTypeMissing ? UnitTypeMissingMessage : hintFirst(outcome.mensagem, outcome.dica));
            break;
        case SendOutcome::End::RunsUsedUp:
        case SendOutcome::End::StoppedByUser:
        case SendOutcome::End::StoppedByServer:
            fail(kind, label,
                 QStringLiteral("registros ainda por enviar após %1 execuções; a última terminou com: %2")
                     .arg(request.vezes)
                     .arg(outcome.resultados.value(outcome.resultados.size() - 1)));
            break;
        }
    }

    // What is still to send once the kind's loop is over: records its checks refuse,
    // with their lines, and records they would let through (left by a failed loop).
    void countLeftOver(TransmitKind kind, const RecordList &list, const QString &label)
    {
        KindSummary &summary = summaryOf(kind);
        const std::unique_ptr<TransmissionKind> transmitter = kindEntry(kind).make();
        const int situacao = kindEntry(kind).listKind().cells.situacao;
        int refused = 0;
        for (int row = 0; row < list.rowCount(); ++row) {
            if (!sendableInNewBatch(list.subCellView(row, situacao)))
                continue;
            QStringList lines;
            if (transmitter->check(list, row, lines)) {
                ++summary.pending;
                continue;
            }
            ++refused;
            for (const QString &line : std::as_const(lines)) {
                if (summary.messages.size() < MessagesShown && !summary.messages.contains(line))
                    summary.messages.append(line);
            }
        }
        summary.refused += refused;
        if (refused > 0)
            m_step(QStringLiteral("%1 %2: %3 registros recusados").arg(kindEntry(kind).name, label).arg(refused));
    }

    Database &m_db;
    SoapClient &m_client;
    const SyncUnit &m_unit;
    const SyncRequest &m_request;
    const std::function<void(const QString &)> &m_step;
    SyncSummary &m_summary;
    ProgressObserver *m_observer;
    const RefusalSink &m_refused;
    QList<TransmitKind> m_kinds;
};

} // namespace

SyncRequest configuredSyncRequest(const IniFile &ini)
{
    SyncRequest request;
    bool ok = false;
    const int hours
        = ini.value(QStringLiteral("TAVRO"), QStringLiteral("LiberarSemRespostaHoras")).trimmed().toInt(&ok);
    if (ok && hours > 0)
        request.liberarSemRespostaHoras = hours;
    return request;
}

SyncSummary sincronizar(Database &db, SoapClient &client, const SyncUnit &unit, const QString &usuarioSessao,
                        const SyncRequest &request, const std::function<void(const QString &)> &step,
                        ProgressObserver *observer, const RefusalSink &refused)
{
    SyncSummary summary;
    summary.started = QDateTime::currentDateTime();
    summary.unidade = unit.codigo;
    summary.cnes = unit.cnes;
    Synchronizer synchronizer(db, client, unit, request, step, summary, observer, refused);
    try {
        const QList<Period> periods = request.period ? QList<Period>{*request.period}
                                                     : pendingMonths(db, unit.codigo, unit.cnes);
        for (const Period &period : periods)
            summary.periods.append(period);
        step(
            QStringLiteral("início: unidade %1, CNES %2, %3 períodos").arg(unit.codigo, unit.cnes).arg(periods.size()));
        for (const UnansweredBatch &batch : releaseUnansweredOlderThan(db, request.liberarSemRespostaHoras)) {
            summary.liberados.append(
                QStringLiteral("Liberado para reenvio (sem resposta há mais de %1 horas): lote %2, enviado em %3, %4, "
                               "%5 registro(s).")
                    .arg(request.liberarSemRespostaHoras)
                    .arg(batch.protocolo, batch.data, batch.tipo)
                    .arg(batch.registros)
                + QLatin1Char(' ') + ReleaseRiskMessage.arg(batch.protocolo));
            step(summary.liberados.last());
        }
        synchronizer.transmitAll(periods);
        synchronizer.followUp(usuarioSessao);
        summary.retidos = heldRecords(db, unit.cnes);
    } catch (const Error &error) {
        summary.failure = error.message();
        step(QStringLiteral("falha: ") + error.message());
        rollbackQuietly(db);
    }
    summary.finished = QDateTime::currentDateTime();
    step(QStringLiteral("fim, ") + summaryEnd(summary));
    return summary;
}

} // namespace tavro
