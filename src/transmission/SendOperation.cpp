#include "transmission/SendOperation.h"

#include "service/ErrorHint.h"
#include "transmission/TransmissionKind.h"

#include <QDate>

#include <memory>

namespace tavro {

QString SendOutcome::accountText() const
{
    return tavro::accountText(enviados, recusados, restam);
}

QString SendOutcome::endText() const
{
    switch (end) {
    case End::AllSent:
        return TodosTransferidosMessage + QLatin1Char('\n') + accountText();
    case End::Aborted:
        return withHint(mensagem, dica) + QStringLiteral("\n\n") + accountText();
    case End::NotStarted:
        return mensagem;
    case End::RunsUsedUp:
    case End::StoppedByUser:
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
    const ClickOutcome loop = transmitRepeatedly(
        request.vezes,
        [&](RunReport &report) {
            input.hoje = QDate::currentDate();
            const QString result = transmitOnce(db, client, *kind, list, input, report);
            const QList<TransmissionAccount::Line> novas = account.add(report);
            for (const TransmissionAccount::Line &line : novas) {
                if (line.caption.isEmpty())
                    outcome.avisos.append(line.text);
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
