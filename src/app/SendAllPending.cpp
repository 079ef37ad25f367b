#include "app/SendAllPending.h"

#include "app/ProgressStrip.h"
#include "db/Database.h"
#include "sync/RunLock.h"
#include "sync/RunLog.h"

#include <QScopeGuard>

namespace tavro {

std::optional<SyncSummary> sendAllPending(Database &db, SoapClient &client, const SyncUnit &unit,
                                          const SyncRequest &request, const QString &usuarioSessao,
                                          ProgressStrip &progress, const QString &dataFolder, QString &refusal,
                                          const RefusalSink &refused)
{
    RunLog log(syncLogPath(dataFolder));
    // Named as the nightly run names the unit of CNESFARMACIA.
    RunLock lock(dataFolder, db.databaseName(), QStringLiteral("CNES ") + unit.cnes);
    if (!lock.tryLock()) {
        refusal = runLockedMessage(lock.holder());
        log.step(QStringLiteral("não iniciada: ") + refusal);
        return std::nullopt;
    }
    progress.begin(true);
    const auto ended = qScopeGuard([&progress] { progress.end(); });
    SyncSummary summary = sincronizar(
        db, client, unit, usuarioSessao, request, [&log](const QString &step) { log.step(step); }, &progress, refused);
    summary.database = db.databaseName();
    summary.manual = true;
    QString error;
    if (!writeSummaryJson(lastSummaryPath(dataFolder), summaryJson(summary), error))
        log.step(error); // the strip only loses its note of this run; the run itself stands
    return summary;
}

} // namespace tavro
