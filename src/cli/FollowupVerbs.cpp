#include "cli/FollowupVerbs.h"

#include "cli/CliCommands.h"
#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "cli/TerminalProgress.h"
#include "db/Database.h"
#include "followup/BulkVerification.h"
#include "followup/ProtocolFollowup.h"
#include "followup/ProtocolList.h"
#include "followup/SingleCheck.h"
#include "lists/RecordList.h"
#include "service/ErrorHint.h"
#include "service/SoapClient.h"
#include "session/DataFolder.h"
#include "session/Login.h"

#include <QTextStream>

#include <memory>

namespace tavro {

namespace {

enum class Outcome { Refused, Failed, Done };

// One check of the chosen row, as its button runs it.
Outcome checkOne(ProtocolFollowup &checks, const RecordList &list, const CliOptions &options, QTextStream &err)
{
    const SingleCheckResult result = runSingleCheck(
        checks, list, protocolRow(list, options.protocoloVerificado),
        options.verb == CliVerb::Processamento ? SingleCheck::Processamento : SingleCheck::Inconsistencia);
    if (!result.refusal.isEmpty()) {
        err << result.refusal << '\n';
        return Outcome::Refused;
    }
    if (result.situacao.isEmpty()) {
        err << withHint(checks.lastError(), checks.lastHint()) << '\n';
        return Outcome::Failed;
    }
    return Outcome::Done;
}

} // namespace

int runFollowupVerb(const CliSession &session, const CliOptions &options, QTextStream &out, QTextStream &err)
{
    HttpTransport transport;
    const std::unique_ptr<SoapClient> client = programSoapClient(transport, session.ini, session.data.logFolder(),
                                                                 session.login,
                                                                 [&err](const QString &line) { err << line << '\n'; });
    ProtocolFilter filter = options.protocolFilter;
    filter.cnes = session.cnes;
    const std::unique_ptr<RecordList> list(newProtocolList(nullptr));
    CarregaProtocolos(session.db, filter, session.login.UsuarioSessao, *list);

    TerminalProgress progress(err);
    ProtocolFollowup checks(session.db, *client, [&](const QString &line) {
        progress.clear();
        out << line << '\n';
        out.flush();
    });
    int exitCode = ExitSuccess;
    if (options.verb == CliVerb::Verificar) {
        const QList<FailedCheck> failures = verificarTodosProtocolos(
            checks, *list, options.vezes, [] {}, &progress);
        progress.clear();
        for (const FailedCheck &failure : failures)
            err << failure.protocolo << ": " << failure.message << '\n';
        if (!failures.isEmpty())
            exitCode = ExitFailure;
    } else {
        const Outcome outcome = checkOne(checks, *list, options, err);
        if (outcome == Outcome::Refused)
            return ExitFailure;
        if (outcome == Outcome::Failed)
            exitCode = ExitFailure;
    }
    CarregaProtocolos(session.db, filter, session.login.UsuarioSessao, *list);
    writeList(*list, out);
    session.db.rollback();
    return exitCode;
}

} // namespace tavro
