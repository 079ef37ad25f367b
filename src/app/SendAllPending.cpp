#include "app/SendAllPending.h"

#include "app/ProgressStrip.h"
#include "db/Database.h"
#include "sync/SyncRun.h"

#include <QScopeGuard>

namespace tavro {

std::optional<SyncSummary> sendAllPending(Database &db, SoapClient &client, const SyncUnit &unit,
                                          const SyncRequest &request, const QString &usuarioSessao,
                                          ProgressStrip &progress, const QString &dataFolder, QString &refusal,
                                          const RefusalSink &refused)
{
    // Locked as the nightly run locks the unit of CNESFARMACIA.
    SyncRun run(dataFolder, db.databaseName(), QString(), unit.cnes);
    refusal = run.lock();
    if (!refusal.isEmpty())
        return std::nullopt;
    progress.begin(true);
    const auto ended = qScopeGuard([&progress] { progress.end(); });
    SyncRequest manual = request;
    manual.manual = true;
    SyncFollowers followers;
    followers.observer = &progress;
    followers.refused = refused;
    return run.run(db, client, unit, usuarioSessao, manual, followers, refusal);
}

} // namespace tavro
