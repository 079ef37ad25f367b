#include "transmission/SendOperation.h"

#include "common/Error.h"
#include "db/Database.h"
#include "lists/RecordList.h"
#include "service/ErrorHint.h"
#include "transmission/TransmissionKind.h"

#include <QDate>
#include <QSet>

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
    case End::NotStarted:
        return mensagem;
    case End::RunsUsedUp:
    case End::StoppedByServer:
        break;
    }
    return QString();
}

QString missingUnitCode(const TransmissionInput &input)
{
    if (input.cnes.isEmpty())
        return InformeCnesMessage;
    if (input.ibge.isEmpty())
        return InformeIbgeMessage;
    return QString();
}

SendOutcome transmit(Database &db, SoapClient &client, RecordList &list, const SendRequest &request,
                     SendObserver &observer)
{
    SendOutcome outcome;
    outcome.mensagem = missingUnitCode(request.input);
    if (!outcome.mensagem.isEmpty()) {
        outcome.end = SendOutcome::End::NotStarted;
        return outcome;
    }
    const std::unique_ptr<TransmissionKind> kind = kindEntry(request.kind).make();
    TransmissionInput input = request.input;
    TransmissionAccount account;
    // A check's line about a row the send was not to take is a note: every run checks every row.
    QSet<QString> toSend;
    for (int row = 0; row < list.rowCount(); ++row) {
        if (rowToSend(list, row, kind->cells(), input.protocolo))
            toSend.insert(list.caption(row));
    }
    bool unresolvedMet = true; // by the last run
    const ClickOutcome loop = transmitRepeatedly(
        request.vezes,
        [&](RunReport &report) {
            input.hoje = QDate::currentDate();
            const QString result = transmitOnce(db, client, *kind, list, input, report);
            input.tipoEstabelecimento = report.tipoEstabelecimento;
            unresolvedMet = report.unresolvedMet;
            QList<TransmissionAccount::Line> novas = account.add(report);
            for (TransmissionAccount::Line &line : novas) {
                line.nota = !line.caption.isEmpty() && !toSend.contains(line.caption);
                if (line.caption.isEmpty())
                    outcome.avisos.append(line.text);
                else if (line.nota)
                    outcome.notas.append({line.caption, line.text});
                else
                    outcome.recusas.append({line.caption, line.text});
            }
            if (result == RunResult::Transmitido)
                ++outcome.lotes;
            else if (result != RunResult::Pronto)
                outcome.falhas.append(result);
            if (report.retornos)
                outcome.retornos = *report.retornos;
            outcome.unitTypeMissing = report.unitTypeMissing;
            outcome.dica = report.dica;
            observer.runEnded({report, result, novas});
            return result;
        },
        observer);
    account.countRows(*kind, list, input.protocolo);
    outcome.enviados = account.enviados();
    outcome.recusados = account.recusados();
    outcome.restam = account.restam();
    outcome.resultados = loop.results;
    try {
        // The runs' transaction, which holds nothing now, ends with the send.
        db.rollback();
        if (unresolvedMet)
            outcome.retidos = heldRecords(db, input.cnes, kindEntry(request.kind).listKind().tipo);
    } catch (const Error &) {
        // A database gone after the runs: the send's own end says so; the count is only lost.
    }
    outcome.serverText = loop.stoppedByServer;
    switch (loop.end) {
    case ClickOutcome::AllSent:
        outcome.end = SendOutcome::End::AllSent;
        break;
    case ClickOutcome::Aborted:
        outcome.end = SendOutcome::End::Aborted;
        outcome.mensagem = loop.message;
        break;
    case ClickOutcome::RunsUsedUp:
        outcome.end = loop.stopped ? SendOutcome::End::StoppedByUser
            : loop.stoppedByServer ? SendOutcome::End::StoppedByServer
                                   : SendOutcome::End::RunsUsedUp;
        break;
    }
    return outcome;
}

} // namespace tavro
