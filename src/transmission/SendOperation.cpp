#include "transmission/SendOperation.h"

#include "common/Error.h"
#include "db/Database.h"
#include "lists/RecordList.h"
#include "service/ErrorHint.h"
#include "transmission/TransmissionKind.h"

#include <QElapsedTimer>
#include <QSet>

#include <algorithm>
#include <memory>

namespace tavro {

QString SendOutcome::accountText() const
{
    return tavro::accountText(enviados, recusados, restam);
}

QString SendOutcome::heldLine() const
{
    return retidos.isEmpty() ? QString() : retidos.text() + QStringLiteral(": veja Protocolos.");
}

QString SendOutcome::endText() const
{
    const QString held = retidos.isEmpty() ? QString() : QLatin1Char('\n') + heldLine();
    switch (end) {
    case End::AllSent:
        // "All transferred" alone reads as "everything went" while refused or held rows stay behind.
        if (recusados > 0)
            return refusedAccountLine(enviados, recusados) + QLatin1Char('\n') + TodosTransferidosMessage + held;
        return TodosTransferidosMessage + held + QLatin1Char('\n') + accountText();
    case End::StoppedByUser:
        return interruptedText(lotes, restam) + held;
    case End::Aborted:
        return withHint(mensagem, dica) + QStringLiteral("\n\n") + accountText() + held;
    case End::MissingCnes:
    case End::MissingIbge:
    case End::UnitTypeMissing:
        return mensagem;
    case End::RunsUsedUp:
    case End::StoppedByServer:
        break;
    }
    return QString();
}

bool SendOutcome::serverText() const
{
    return std::any_of(resultados.begin(), resultados.end(),
                       [](const RunResult &run) { return run.end == RunResult::End::ServiceText; });
}

std::optional<SendOutcome> missingUnitCode(const QString &cnes, const QString &ibge)
{
    SendOutcome outcome;
    if (cnes.isEmpty()) {
        outcome.end = SendOutcome::End::MissingCnes;
        outcome.mensagem = InformeCnesMessage;
    } else if (ibge.isEmpty()) {
        outcome.end = SendOutcome::End::MissingIbge;
        outcome.mensagem = InformeIbgeMessage;
    } else {
        return std::nullopt;
    }
    return outcome;
}

SendOutcome transmitRepeatedly(int vezes, const std::function<RunResult(RunReport &)> &run, ProgressObserver &observer)
{
    SendOutcome outcome;
    QElapsedTimer clock;
    clock.start();
    Progress progress;
    progress.work = Progress::Work::Transmissao;
    progress.total = vezes;
    bool stopped = false;
    for (int i = 0; i < vezes; ++i) {
        if (observer.stopRequested()) {
            stopped = true;
            break;
        }
        progress.current = i + 1;
        progress.elapsedMs = clock.elapsed();
        observer.progressed(progress);
        if (observer.stopRequested()) { // taken while the report was drawn
            stopped = true;
            break;
        }
        RunReport report;
        const RunResult result = run(report);
        outcome.resultados.append(result);
        if (result.end == RunResult::End::Sent) {
            ++outcome.lotes;
            progress.enviados += report.batchSize;
        } else {
            progress.recusados += report.batchSize;
        }
        progress.elapsedMs = clock.elapsed();
        observer.progressed(progress);
        switch (result.end) {
        case RunResult::End::Sent:
        case RunResult::End::ServiceText:
            continue;
        case RunResult::End::NothingLeft:
            outcome.end = SendOutcome::End::AllSent;
            return outcome;
        case RunResult::End::UnitTypeMissing:
            outcome.end = SendOutcome::End::UnitTypeMissing;
            outcome.mensagem = UnitTypeMissingMessage;
            return outcome;
        case RunResult::End::Failed:
            outcome.end = SendOutcome::End::Aborted;
            outcome.mensagem = result.message;
            outcome.dica = result.hint;
            return outcome;
        }
    }
    outcome.end = stopped      ? SendOutcome::End::StoppedByUser
        : outcome.serverText() ? SendOutcome::End::StoppedByServer
                               : SendOutcome::End::RunsUsedUp;
    return outcome;
}

SendOutcome transmit(Database &db, SoapClient &client, RecordList &list, const SendRequest &request,
                     SendObserver &observer)
{
    if (std::optional<SendOutcome> missing = missingUnitCode(request.input.cnes, request.input.ibge))
        return *missing;
    const std::unique_ptr<TransmissionKind> kind = kindFacts(request.kind).make();
    TransmissionInput input = request.input;
    TransmissionAccount account;
    // A check's line about a row the send was not to take is a note: every run checks every row.
    QSet<QString> toSend;
    for (int row = 0; row < list.rowCount(); ++row) {
        if (rowToSend(list, row, kind->cells(), input.protocolo))
            toSend.insert(list.caption(row));
    }
    QList<RowRefusal> recusas;
    QList<RowRefusal> notas;
    QStringList avisos;
    QStringList retornos;
    bool unresolvedMet = true; // by the last run
    SendOutcome outcome = transmitRepeatedly(
        request.vezes,
        [&](RunReport &report) {
            input.hoje = request.today();
            const RunResult result = transmitOnce(db, client, *kind, list, input, report);
            input.tipoEstabelecimento = report.tipoEstabelecimento;
            unresolvedMet = report.unresolvedMet;
            QList<TransmissionAccount::Line> novas = account.add(report);
            for (TransmissionAccount::Line &line : novas) {
                line.nota = !line.caption.isEmpty() && !toSend.contains(line.caption);
                if (line.caption.isEmpty())
                    avisos.append(line.text);
                else if (line.nota)
                    notas.append({line.caption, line.text});
                else
                    recusas.append({line.caption, line.text});
            }
            if (report.retornos)
                retornos = *report.retornos;
            observer.runEnded({report, result, novas});
            return result;
        },
        observer);
    outcome.recusas = recusas;
    outcome.notas = notas;
    outcome.avisos = avisos;
    outcome.retornos = retornos;
    account.countRows(*kind, list, input.protocolo);
    outcome.enviados = account.enviados();
    outcome.recusados = account.recusados();
    outcome.restam = account.restam();
    try {
        // The runs' transaction, which holds nothing now, ends with the send.
        db.rollback();
        if (unresolvedMet)
            outcome.retidos = heldRecords(db, input.cnes, kindFacts(request.kind).tipo);
    } catch (const Error &) {
        // A database gone after the runs: the send's own end says so; the count is only lost.
    }
    return outcome;
}

} // namespace tavro
