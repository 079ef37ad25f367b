#pragma once

#include "lists/ListKinds.h"
#include "sync/PendingPeriods.h"
#include "sync/SyncSummary.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionAccount.h"

#include <QList>
#include <QString>

#include <functional>
#include <iterator>
#include <optional>

namespace tavro {

class Database;
class IniFile;
class ProgressObserver;
class SoapClient;

inline constexpr int DefaultLiberarSemRespostaHoras = 24;

// What an unattended run is asked to do.
struct SyncRequest
{
    // Sent in the order of AllKinds; every kind unless asked otherwise.
    QList<MovementKind> kinds{std::begin(AllKinds), std::end(AllKinds)};
    std::optional<Period> period; // none: every month with records still to send
    int lote = DefaultLoteMaximo; // records per batch
    int vezes = 3;                // walks of the follow-up
    // Batches "Sem resposta" older than this many hours are released before sending.
    int liberarSemRespostaHoras = DefaultLiberarSemRespostaHoras;
    bool manual = false; // run from the window rather than by the schedule, as its summary says
};

// The request as config.ini sets it up, for `sincronizar` and the window's "Enviar tudo o que
// falta" alike: the hours of [TAVRO] LiberarSemRespostaHoras (a value that is not a positive
// number keeps the default); every other field keeps its default for the caller to set.
SyncRequest configuredSyncRequest(const IniFile &ini);

// The unit found at start-up: its code, CNES and IBGE.
struct SyncUnit
{
    QString codigo; // PECodigoUnidade
    QString cnes;   // PECodCNES
    QString ibge;   // PECodIBGE
};

// The unattended run, composed of what the transmit and follow-up buttons run: first the
// release of the batches without answer older than the request's hours; then for each kind, the
// kind's list of each stock day or period (every record, whatever its status), and the
// transmit loop over it until nothing sendable is left or a run fails; then the walk of
// "Verificar Todos os Protocolos" over the unit's protocols of those kinds that are not
// final, `vezes` times. A failed list or check is reported and the run goes on with the
// next one. `step` receives one line per step, for the run log. An observer follows each
// transmit loop and the walk, and may stop the run between two batches or checks: no other
// list, batch or check then starts, and the summary says the run was interrupted.
// Where a run's lines about rows its checks refuse (or notes about rows not to send) go, with the
// kind of their list, as a transmit button's go to the Erros tab.
using RefusalSink = std::function<void(MovementKind, const TransmissionAccount::Line &)>;

SyncSummary sincronizar(Database &db, SoapClient &client, const SyncUnit &unit, const QString &usuarioSessao,
                        const SyncRequest &request, const std::function<void(const QString &)> &step,
                        ProgressObserver *observer = nullptr, const RefusalSink &refused = {});

} // namespace tavro
