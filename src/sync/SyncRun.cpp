#include "sync/SyncRun.h"

#include "transmission/SendOperation.h"

namespace tavro {

namespace {

QString lockedUnit(const QString &unitCode, const QString &cnes)
{
    return unitCode.isEmpty() ? QStringLiteral("CNES ") + cnes : QStringLiteral("unidade ") + unitCode;
}

} // namespace

SyncRun::SyncRun(const QString &dataFolder, const QString &database, const QString &unitCode, const QString &cnes)
    : m_dataFolder(dataFolder)
    , m_database(database)
    , m_lock(dataFolder, database, lockedUnit(unitCode, cnes))
{
}

QString SyncRun::lock()
{
    return m_lock.tryLock() ? QString() : notStarted(runLockedMessage(m_lock.holder()));
}

std::optional<SyncSummary> SyncRun::run(Database &db, SoapClient &client, const SyncUnit &unit,
                                        const QString &usuarioSessao, const SyncRequest &request,
                                        const SyncFollowers &followers, QString &refusal)
{
    if (const std::optional<SendOutcome> missing = missingUnitCode(unit.cnes, unit.ibge)) {
        refusal = notStarted(missing->mensagem);
        return std::nullopt;
    }
    SyncSummary summary = sincronizar(
        db, client, unit, usuarioSessao, request,
        [&](const QString &step) {
            log().step(step);
            if (followers.step)
                followers.step(step);
        },
        followers.observer, followers.refused);
    summary.database = m_database;
    summary.manual = request.manual;
    QString error;
    if (!writeSummaryJson(lastSummaryPath(m_dataFolder), summaryJson(summary), error)) {
        // The window only loses its note of this run; the run itself stands.
        log().step(error);
        if (followers.unwritten)
            followers.unwritten(error);
    }
    return summary;
}

bool SyncRun::writeReport(const SyncSummary &summary, const QString &path, QString &error)
{
    if (writeSummaryJson(path, summaryJson(summary), error))
        return true;
    log().step(error);
    return false;
}

QString SyncRun::logTrouble() const
{
    if (!m_log || m_log->isOpen())
        return QString();
    return QStringLiteral("Não foi possível gravar o registro da execução em %1").arg(syncLogPath(m_dataFolder));
}

RunLog &SyncRun::log()
{
    if (!m_log)
        m_log = std::make_unique<RunLog>(syncLogPath(m_dataFolder));
    return *m_log;
}

QString SyncRun::notStarted(const QString &reason)
{
    log().step(QStringLiteral("não iniciada: ") + reason);
    return reason;
}

} // namespace tavro
