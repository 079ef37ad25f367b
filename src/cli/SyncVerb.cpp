#include "cli/SyncVerb.h"

#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "service/SoapClient.h"
#include "session/AppConfig.h"
#include "session/DataFolder.h"
#include "session/Login.h"
#include "sync/RunLock.h"
#include "sync/RunLog.h"
#include "sync/Synchronization.h"
#include "transmission/Transmission.h"

#include <QTextStream>

#include <cstdio>
#include <unistd.h>

namespace tavro {

namespace {

SyncRequest syncRequest(const CliOptions &options, const IniFile &ini)
{
    SyncRequest request = configuredSyncRequest(ini);
    request.kinds = options.tipos;
    if (options.dias > 0)
        request.period = lastDays(options.dias, QDate::currentDate());
    else if (!options.period.dataInicial.isEmpty())
        request.period = options.period;
    request.lote = options.lote;
    request.vezes = options.vezes;
    return request;
}

} // namespace

std::unique_ptr<RunLock> lockSyncRun(const StartupConfig &config, const CliOptions &options, const QString &dataFolder,
                                     QTextStream &err)
{
    const QString unit = options.unidade.isEmpty() ? QStringLiteral("CNES ") + config.cnesFarmacia
                                                   : QStringLiteral("unidade ") + options.unidade;
    auto lock = std::make_unique<RunLock>(dataFolder, config.database, unit);
    if (lock->tryLock())
        return lock;
    const QString message = runLockedMessage(lock->holder());
    RunLog(syncLogPath(dataFolder)).step(QStringLiteral("não iniciada: ") + message);
    err << message << '\n';
    return nullptr;
}

int runSyncVerb(const CliSession &session, const CliOptions &options, const SyncUnit &unit, const QString &database,
                QTextStream &out, QTextStream &err)
{
    RunLog log(syncLogPath(session.data.path));
    if (unit.cnes.isEmpty() || unit.ibge.isEmpty()) {
        const QString message = unit.cnes.isEmpty() ? InformeCnesMessage : InformeIbgeMessage;
        log.step(QStringLiteral("não iniciada: ") + message);
        err << message << '\n';
        return ExitFailure;
    }

    const bool terminal = isatty(fileno(stderr));
    HttpTransport transport;
    const std::unique_ptr<SoapClient> client = programSoapClient(transport, session.ini, session.data.logFolder(),
                                                                 session.login,
                                                                 [&err](const QString &line) { err << line << '\n'; });
    SyncSummary summary = sincronizar(session.db, *client, unit, session.login.UsuarioSessao,
                                      syncRequest(options, session.ini), [&](const QString &step) {
                                          log.step(step);
                                          if (terminal) {
                                              err << step << '\n';
                                              err.flush();
                                          }
                                      });
    summary.database = database;
    out << summaryText(summary);
    out.flush();

    const QByteArray json = summaryJson(summary);
    QString error;
    if (!writeSummaryJson(lastSummaryPath(session.data.path), json, error)) {
        // The window only loses its note of this run; the run itself stands.
        log.step(error);
        err << error << '\n';
    }
    if (!options.jsonPath.isEmpty() && !writeSummaryJson(options.jsonPath, json, error)) {
        log.step(error);
        err << error << '\n';
        return ExitFailure;
    }
    if (!log.isOpen())
        err << QStringLiteral("Não foi possível gravar o registro da execução em %1")
                   .arg(syncLogPath(session.data.path))
            << '\n';
    return summary.failed() ? ExitFailure : ExitSuccess;
}

} // namespace tavro
