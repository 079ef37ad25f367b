#pragma once

#include "sync/PendingPeriods.h"
#include "sync/SyncSummary.h"
#include "transmission/TransmissionKinds.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace tavro {

class Database;
class SoapClient;

// What an unattended run is asked to do.
struct SyncRequest
{
    QList<TransmitKind> kinds;    // sent in the order of AllTransmitKinds
    std::optional<Period> period; // none: every month with records still to send
    int lote = 500;               // records per batch
    int vezes = 3;                // walks of the follow-up
};

// The unit found at start-up: its code, CNES and IBGE.
struct SyncUnit
{
    QString codigo; // PECodigoUnidade
    QString cnes;   // PECodCNES
    QString ibge;   // PECodIBGE
};

// The unattended run, composed of what the transmit and follow-up buttons run: for each kind, the
// kind's list of each stock day or period (every record, whatever its status), and the
// transmit loop over it until nothing sendable is left or a run fails; then the walk of
// "Verificar Todos os Protocolos" over the unit's protocols of those kinds that are not
// final, `vezes` times. A failed list or check is reported and the run goes on with the
// next one. `step` receives one line per step, for the run log.
SyncSummary sincronizar(Database &db, SoapClient &client, const SyncUnit &unit, const QString &usuarioSessao,
                        const SyncRequest &request, const std::function<void(const QString &)> &step);

} // namespace tavro
