#include "app/ClickEnd.h"

#include "app/Messages.h"
#include "common/ProgressObserver.h"
#include "lists/RecordList.h"
#include "service/ErrorHint.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionAccount.h"
#include "transmission/TransmissionKind.h"

namespace tavro {

QSet<QString> rowsToSend(const TransmissionKind &kind, const RecordList &list, const QString &protocolo)
{
    const TransmissionCells cells = kind.cells();
    QSet<QString> captions;
    for (int row = 0; row < list.rowCount(); ++row) {
        if (rowToSend(list, row, cells, protocolo))
            captions.insert(list.caption(row));
    }
    return captions;
}

QString refusedAccountLine(const TransmissionAccount &account)
{
    const QString refused = account.recusados() == 1
        ? QStringLiteral("1 recusado fica pendente")
        : QStringLiteral("%1 recusados ficam pendentes").arg(account.recusados());
    return QStringLiteral("Enviados %1; %2: veja Erros.").arg(account.enviados()).arg(refused);
}

void showClickEnd(Messages &messages, QWidget *parent, const ClickOutcome &outcome, const TransmissionAccount &account,
                  const QString &dica)
{
    switch (outcome.end) {
    case ClickOutcome::AllSent:
        // "All transferred" alone reads as "everything went" while refused rows stay behind.
        if (account.recusados() > 0)
            messages.warning(parent, refusedAccountLine(account) + QLatin1Char('\n') + TodosTransferidosMessage);
        else
            messages.information(parent, TodosTransferidosMessage + QLatin1Char('\n') + account.text());
        break;
    case ClickOutcome::Aborted:
        messages.error(parent, TransmissaoAbortadaCaption,
                       withHint(outcome.message, dica) + QStringLiteral("\n\n") + account.text());
        break;
    case ClickOutcome::RunsUsedUp:
        if (outcome.stopped)
            messages.information(parent, interruptedText(outcome.lotes(), account.restam()));
        break;
    }
}

} // namespace tavro
