#include "cli/TransmitVerb.h"

#include "cli/CliCommands.h"
#include "cli/CliSession.h"
#include "cli/TerminalProgress.h"
#include "db/Database.h"
#include "service/ErrorHint.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionAccount.h"

#include <QTextStream>

namespace tavro {

int runTransmitVerb(const CliSession &session, SoapClient &client, TransmissionKind &kind, RecordList &list,
                    TransmissionInput input, int vezes, QTextStream &out, QTextStream &err)
{
    if (input.cnes.isEmpty()) {
        err << InformeCnesMessage << '\n';
        return ExitFailure;
    }
    if (input.ibge.isEmpty()) {
        err << InformeIbgeMessage << '\n';
        return ExitFailure;
    }
    QStringList retornos;
    TerminalProgress progress(err);
    QString dica;
    const ClickOutcome outcome = transmitRepeatedly(
        vezes,
        [&](RunReport &report) {
            input.hoje = QDate::currentDate();
            const QString result = transmitOnce(session.db, client, kind, list, input, report);
            progress.clear();
            for (const QString &line : report.erros)
                err << line << '\n';
            if (report.unitTypeMissing)
                err << UnitTypeMissingMessage << '\n';
            if (report.retornos)
                retornos = *report.retornos;
            dica = report.dica;
            out << result << '\n';
            out.flush();
            err.flush();
            return result;
        },
        progress);
    progress.clear();
    for (const QString &line : retornos)
        out << line << '\n';
    switch (outcome.end) {
    case ClickOutcome::AllSent:
        err << TodosTransferidosMessage << '\n';
        return ExitSuccess;
    case ClickOutcome::RunsUsedUp:
        if (outcome.stopped) {
            TransmissionAccount account;
            account.countRows(kind, list, input.protocolo);
            err << interruptedText(outcome.lotes(), account.restam()) << '\n';
            return ExitSuccess;
        }
        // The window goes quiet here; a script must know that the service refused rows still to send.
        if (outcome.stoppedByServer && rowsLeftToSend(kind, list, input)) {
            err << RegistrosPendentesMessage << '\n';
            return ExitFailure;
        }
        return ExitSuccess;
    case ClickOutcome::Aborted:
        err << TransmissaoAbortadaCaption << ' ' << withHint(outcome.message, dica) << '\n';
        return ExitFailure;
    }
    return ExitFailure;
}

} // namespace tavro
