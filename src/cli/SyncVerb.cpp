#include "cli/SyncVerb.h"

#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "service/SoapClient.h"
#include "session/AppConfig.h"
#include "session/DataFolder.h"
#include "session/Login.h"
#include "sync/SyncRun.h"
#include "sync/Synchronization.h"

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

std::unique_ptr<SyncRun> lockSyncRun(const StartupConfig &config, const CliOptions &options, const QString &dataFolder,
                                     QTextStream &err)
{
    auto run = std::make_unique<SyncRun>(dataFolder, config.database, options.unidade, config.cnesFarmacia);
    if (const QString refusal = run->lock(); !refusal.isEmpty()) {
        err << refusal << '\n';
        return nullptr;
    }
    return run;
}

int runSyncVerb(SyncRun &run, const CliSession &session, const CliOptions &options, const SyncUnit &unit,
                QTextStream &out, QTextStream &err)
{
    const bool terminal = isatty(fileno(stderr));
    HttpTransport transport;
    const std::unique_ptr<SoapClient> client = programSoapClient(transport, session.ini, session.data.logFolder(),
                                                                 session.login,
                                                                 [&err](const QString &line) { err << line << '\n'; });
    SyncFollowers followers;
    if (terminal) {
        followers.step = [&err](const QString &step) {
            err << step << '\n';
            err.flush();
        };
    }
    followers.unwritten = [&err](const QString &error) { err << error << '\n'; };
    QString refusal;
    const std::optional<SyncSummary> summary = run.run(session.db, *client, unit, session.login.UsuarioSessao,
                                                       syncRequest(options, session.ini), followers, refusal);
    if (!summary) {
        err << refusal << '\n';
        return ExitFailure;
    }
    out << summaryText(*summary);
    out.flush();

    QString error;
    if (!options.jsonPath.isEmpty() && !run.writeReport(*summary, options.jsonPath, error)) {
        err << error << '\n';
        return ExitFailure;
    }
    if (const QString trouble = run.logTrouble(); !trouble.isEmpty())
        err << trouble << '\n';
    return summary->failed() ? ExitFailure : ExitSuccess;
}

} // namespace tavro
