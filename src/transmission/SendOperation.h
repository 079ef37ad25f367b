#pragma once

#include "common/ProgressObserver.h"
#include "lists/ListKinds.h"
#include "transmission/HeldBatches.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionAccount.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tavro {

class Database;
class RecordList;
class SoapClient;

// One send of a kind over its list, as a transmit button, `transmitir` and each kind of
// `sincronizar` ask for it: at most `vezes` runs of one batch each.
struct SendRequest
{
    MovementKind kind = MovementKind::Estoque;
    TransmissionInput input; // `hoje` is taken from `today` before each run
    int vezes = 10;
    std::function<QDate()> today = &QDate::currentDate; // a send may run past midnight
};

// How a send ended, and everything its callers show of it.
struct SendOutcome
{
    enum class End {
        MissingCnes,     // the unit's CNES is missing: no run was made
        MissingIbge,     // the CNES is there, the municipality's IBGE code is not: no run was made
        UnitTypeMissing, // the first run found the unit's type unregistered and took nothing
        AllSent,         // a run found nothing left to take
        Aborted,         // a run ended on an error; `mensagem` holds it
        RunsUsedUp,      // every run sent a batch
        StoppedByUser,   // the observer asked to stop between two runs
        StoppedByServer, // the runs were used up and one of them ended on a server text that lets the loop go on
    };
    End end = End::RunsUsedUp;

    int enviados = 0;  // records of the accepted batches
    int recusados = 0; // rows the send was to take that the checks refuse, once the runs are over
    int restam = 0;    // rows that pass the checks but went unsent
    int lotes = 0;     // batches the service accepted

    QList<RowRefusal> recusas; // each refusal line once, with the row it names, in the order listed
    // The checks' lines about rows the send was not to take (already sent; a card holder's
    // row for the send without a card): notes, not refusals.
    QList<RowRefusal> notas;
    QStringList avisos;          // the runs' other lines (lost request logs, the passing server texts)
    QList<RunResult> resultados; // how every run ended, in order
    QString mensagem;            // what ended the send short: the missing code or unit type, the error
    QString dica;                // the plain line for that error, when it is a technical one
    QStringList retornos;        // the last accepted batch: protocol, rectified protocol, date
    // The unit's batches of this kind still held once the send ended: their records went in
    // no batch, so "all transferred" is never the only word while they wait.
    HeldRecords retidos;

    // "Enviados 120, recusados 4 (ver Erros), restam 0".
    QString accountText() const;
    // The text of the box that closes a send: everything sent (the refused rows first when
    // the checks held some back), the error that aborted it, followed by the account, the stop
    // ("Interrompido pelo usuário: N lotes enviados, M restam."), or what kept it from sending;
    // empty for the other ends. The held records follow on a line of their own.
    QString endText() const;
    // "9 registros retidos em 1 lote sem resposta: veja Protocolos."; empty when none is held.
    QString heldLine() const;
    // Whether that box warns: everything went but the checks held rows back, or records wait
    // in held batches.
    bool endWarns() const { return end == End::AllSent && (recusados > 0 || !retidos.isEmpty()); }
    // Did a run end on one of the service's texts after which the send goes on?
    bool serverText() const;
};

// The end of one run, as a send's observer learns it while the send goes on.
struct SendRun
{
    const RunReport &report;
    const RunResult &result;
    QList<TransmissionAccount::Line> novas; // the run's lines this send has not listed yet
};

// Follows a send: its progress and "Parar" (as any long work), and each run's end.
class SendObserver : public ProgressObserver
{
public:
    void progressed(const Progress &) override { }
    virtual void runEnded(const SendRun &) { }
};

// The end of a send that cannot start for want of a unit code (CNES first, then IBGE), with its
// message; none when both codes are there.
std::optional<SendOutcome> missingUnitCode(const QString &cnes, const QString &ibge);

// The send's loop: at most `vezes` runs. A batch sent and the service's passing texts go on
// to the next run; nothing left ends it as AllSent; the unit type missing and any error end
// it at once. Before and after each run the observer learns the run's number, the repeat
// count, the records of the batches accepted and of those not accepted so far, and the time
// spent. Before each run it may ask to stop; the loop then ends as StoppedByUser, after the
// run under way has committed or rolled back. Fills the outcome's end, runs, batches and
// ending message.
SendOutcome transmitRepeatedly(int vezes, const std::function<RunResult(RunReport &)> &run, ProgressObserver &observer);

// Sends the kind's rows of `list` as the request says; the list's rows show what each
// accepted batch wrote. The observer may ask to stop between two runs.
SendOutcome transmit(Database &db, SoapClient &client, RecordList &list, const SendRequest &request,
                     SendObserver &observer);

} // namespace tavro
