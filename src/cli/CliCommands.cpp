#include "cli/CliCommands.h"

#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "cli/FollowupVerbs.h"
#include "cli/PendenciasVerb.h"
#include "cli/RegistrosVerb.h"
#include "cli/SituacaoVerb.h"
#include "cli/SyncVerb.h"
#include "cli/TerminalProgress.h"
#include "cli/TransmitVerb.h"
#include "common/Error.h"
#include "common/Status.h"
#include "db/Database.h"
#include "db/TransactionGuard.h"
#include "followup/ProtocolList.h"
#include "lists/MovementLists.h"
#include "lists/OverviewStatements.h"
#include "lists/RecordList.h"
#include "reports/DispensationListing.h"
#include "service/SoapClient.h"
#include "session/AppConfig.h"
#include "session/ConfigPlaces.h"
#include "session/DatabaseAccount.h"
#include "session/HealthUnit.h"
#include "session/Login.h"
#include "sync/SyncRun.h"
#include "sync/Synchronization.h"
#include "transmission/HeldBatches.h"
#include "transmission/LogRetention.h"
#include "transmission/ProtocolRecovery.h"
#include "transmission/SendOperation.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QTextStream>

#include <memory>

namespace tavro {

namespace {

// The window's start-up message when the database cannot be opened.
const QString RestrictedMessage = QStringLiteral(
    "Login com a senha mestra: somente a lista de protocolos está disponível.");

// The unit a run works for: its code for the period lists and its CNES for the stock
// list and the protocol list, as the window's header fields hold them.
struct Unit
{
    QString codigo;
    QString cnes;
    QString nome;
};

Unit chooseUnit(Database &db, const StartupConfig &config, const QString &codigo)
{
    if (codigo.isEmpty()) {
        const HealthUnit unit = findUnitAtStartup(db, config.cnesFarmacia);
        return {unit.codigo, config.cnesFarmacia, unit.nome};
    }
    const UnitByCode unit = [&] {
        const ReadSnapshot snapshot(db);
        return findUnitByCode(db, codigo);
    }();
    if (!unit.found)
        throw Error(QStringLiteral("Unidade não encontrada: %1").arg(codigo));
    return {codigo, unit.numero, unit.nome};
}

} // namespace

void writeList(const RecordList &list, QTextStream &out)
{
    const int columns = list.columnCount();
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            out << '\t';
        out << list.headerData(c, Qt::Horizontal).toString();
    }
    out << '\n';
    const int rows = list.rowCount();
    for (int r = 0; r < rows; ++r) {
        out << list.caption(r);
        for (int k = 0; k + 1 < columns; ++k)
            out << '\t' << list.subCell(r, k);
        out << '\n';
    }
}

namespace {

ListSearch movementSearch(const CliOptions &options, const Unit &unit)
{
    ListSearch search;
    search.kind = options.kind;
    search.unidade = unitKey(options.kind, unit.cnes, unit.codigo);
    search.dia = options.dia;
    search.period = options.period;
    search.exibirSemCodigo = options.semCodigo;
    search.status = options.status;
    search.protocoloSelecionado = !options.protocoloFiltro.isEmpty();
    search.protocolo = options.protocoloFiltro;
    return search;
}

std::unique_ptr<RecordList> movementList(Database &db, const ListSearch &search)
{
    std::unique_ptr<RecordList> list(newMovementList(search.kind, nullptr));
    fillMovementList(db, search, *list);
    return list;
}

// The transmit button of the list's tab: the list as the tab shows it (the chosen
// protocol is what is sent again, not a filter), then the runs.
int transmit(const CliSession &session, const CliOptions &options, const Unit &unit, const StartupConfig &config,
             QTextStream &out, QTextStream &err)
{
    ListSearch search = movementSearch(options, unit);
    const std::unique_ptr<RecordList> list = movementList(session.db, search);
    SendRequest request;
    request.kind = options.transmitKind;
    request.input.cnes = unit.cnes;
    request.input.ibge = config.ibge;
    request.input.dia = options.dia;
    request.input.protocolo = options.protocoloReenviado;
    request.input.loteMaximo = options.lote;
    request.vezes = options.vezes;
    HttpTransport transport;
    const std::unique_ptr<SoapClient> client = programSoapClient(transport, session.ini, session.data.logFolder(),
                                                                 session.login,
                                                                 [&err](const QString &line) { err << line << '\n'; });
    return runTransmitVerb(session.db, *client, *list, request, out, err);
}

// The dispensation listing of the tab's search, written as a PDF file: the one named,
// or the one the window's print dialog offers.
int print(Database &db, const CliOptions &options, const Unit &unit, QTextStream &out)
{
    DispensationReportInput input;
    input.search = movementSearch(options, unit);
    input.cnes = unit.cnes;
    input.nomeUnidade = unit.nome;
    const QString path = options.pdfPath.isEmpty() ? dispensationListingPath(input) : options.pdfPath;
    QPdfWriter pdf(path);
    printDispensationListing(db, input, pdf);
    out << QStringLiteral("Listagem gravada em: ") << QFileInfo(path).absoluteFilePath() << '\n';
    return ExitSuccess;
}

std::unique_ptr<RecordList> protocolList(Database &db, const CliOptions &options, const Unit &unit,
                                         const LoginValues &login)
{
    ProtocolFilter filter = options.protocolFilter;
    filter.cnes = unit.cnes;
    std::unique_ptr<RecordList> list(newProtocolList(nullptr));
    CarregaProtocolos(db, filter, login.UsuarioSessao, *list);
    return list;
}

bool writes(CliVerb verb)
{
    return verb == CliVerb::Transmitir || verb == CliVerb::Processamento || verb == CliVerb::Inconsistencia
        || verb == CliVerb::Verificar || verb == CliVerb::Recuperar || verb == CliVerb::Liberar
        || verb == CliVerb::Sincronizar;
}

// Resolves this database's batches still on their way, before a verb writes anything: one
// line per batch finished or released on `out`, every batch without answer and every
// failure on `err`. False when some failed.
bool recover(Database &db, const IniFile &ini, const QString &logFolder, QTextStream &out, QTextStream &err)
{
    const RecoveryReport report = resolveProvisionalBatches(
        db, logFolder, unansweredAfterSeconds(readServiceSettings(ini).TempoLimite));
    for (const QString &line : report.recovered + report.released)
        out << line << '\n';
    for (const UnansweredBatch &batch : report.unanswered)
        err << unansweredLine(batch) << '\n';
    for (const QString &line : report.failures + report.ignoredLogs)
        err << line << '\n';
    out.flush();
    return report.failures.isEmpty();
}

// liberar: a batch "Sem resposta" is released after saying what that risks; one still waiting
// for its answer is left as it is, with the time from which it may be released.
int release(Database &db, const QString &protocolo, int unansweredAfter, QTextStream &out, QTextStream &err)
{
    std::optional<HeldBatch> batch;
    for (const HeldBatch &held : heldRecords(db, QString()).lotes) {
        if (held.protocolo == protocolo)
            batch = held;
    }
    if (batch && batch->situacao != Situacao::SemResposta) {
        err << notYetReleasableMessage(*batch, unansweredAfter) << '\n';
        return ExitFailure;
    }
    if (batch) {
        out << ReleaseRiskMessage.arg(protocolo) << '\n';
        out.flush();
    }
    if (!batch || !releaseUnanswered(db, protocolo)) {
        err << NenhumLoteSemRespostaMessage.arg(protocolo) << '\n';
        return ExitFailure;
    }
    out << LoteLiberadoMessage.arg(protocolo) << '\n';
    return ExitSuccess;
}

int run(Database &db, const CliOptions &options, QTextStream &out, QTextStream &err)
{
    const ConfigPlaces places = findConfigPlaces(options.configPath);
    if (options.verb == CliVerb::Onde) {
        for (const QString &line : places.description())
            out << line << '\n';
        return ExitSuccess;
    }
    // Nothing is sent while no log can be written.
    try {
        prepareDataFolder(places.data);
    } catch (const Error &error) {
        err << error.message() << '\n';
        return ExitUsage;
    }
    if (const QString warning = openFolderWarning(places.data); !warning.isEmpty())
        err << warning << '\n';
    const IniFile ini = places.ini();
    const StartupConfig config = readStartupConfig(ini);
    std::unique_ptr<SyncRun> syncRun;
    if (options.verb == CliVerb::Sincronizar && !(syncRun = lockSyncRun(config, options, places.data.path, err)))
        return ExitFailure;
    try {
        db.open(config.database, readDatabaseLogin(ini));
    } catch (const Error &error) {
        err << databaseNotFoundText(config.database, places) << '\n';
        if (!config.database.isEmpty()) // the first line already says the key is empty
            err << error.message() << '\n';
        return ExitFailure;
    }

    LoginValues values;
    switch (login(db, options.usuario, options.senha, values)) {
    case LoginResult::Incomplete:
    case LoginResult::Refused:
        err << LoginRefusedMessage << '\n';
        return ExitFailure;
    case LoginResult::Restricted:
        if (options.verb != CliVerb::Protocolos) {
            err << RestrictedMessage << '\n';
            return ExitFailure;
        }
        break;
    case LoginResult::Unlocked:
        break;
    }

    if (writes(options.verb)) {
        const bool recovered = recover(db, ini, places.logFolder(), out, err);
        if (options.verb == CliVerb::Recuperar)
            return recovered ? ExitSuccess : ExitFailure;
        TerminalProgress progress(err); // the first start after a long time may remove many
        const QStringList failures = removeOldLogs(db, places.logFolder(), logRetentionDays(ini), &progress);
        progress.clear();
        for (const QString &line : failures)
            err << line << '\n';
    }
    if (options.verb == CliVerb::Liberar)
        return release(db, options.protocoloLiberado, unansweredAfterSeconds(readServiceSettings(ini).TempoLimite), out,
                       err);
    if (options.verb == CliVerb::Registros)
        return runRegistrosVerb(db, places, logRetentionDays(ini), options.limpar, out, err);
    const Unit unit = chooseUnit(db, config, options.unidade);
    std::unique_ptr<RecordList> list;
    switch (options.verb) {
    case CliVerb::Listar:
        list = movementList(db, movementSearch(options, unit));
        break;
    case CliVerb::Transmitir:
        return transmit(CliSession{db, ini, places.data, values, unit.cnes}, options, unit, config, out, err);
    case CliVerb::Imprimir:
        return print(db, options, unit, out);
    case CliVerb::Situacao:
        return runSituacaoVerb(db,
                               OverviewSearch{unit.codigo, unit.cnes, options.semCodigo,
                                              options.overviewPeriod.value_or(OverviewPeriod{})},
                               unit.nome, options.json, out);
    case CliVerb::Protocolos:
        list = protocolList(db, options, unit, values);
        // The held batches, listed first, say on stderr what they are and what to do.
        for (const HeldBatch &batch : heldRecords(db, options.protocolFilter.todosCnes ? QString() : unit.cnes).lotes)
            err << heldBatchAdvice(batch, unansweredAfterSeconds(readServiceSettings(ini).TempoLimite)) << '\n';
        break;
    case CliVerb::Processamento:
    case CliVerb::Inconsistencia:
    case CliVerb::Verificar:
        return runFollowupVerb(CliSession{db, ini, places.data, values, unit.cnes}, options, out, err);
    case CliVerb::Sincronizar:
        return runSyncVerb(*syncRun, CliSession{db, ini, places.data, values, unit.cnes}, options,
                           SyncUnit{unit.codigo, unit.cnes, config.ibge}, out, err);
    case CliVerb::Pendencias:
        return runPendenciasVerb(db, options, unit.codigo, out, err);
    case CliVerb::Help:
    case CliVerb::Version:
    case CliVerb::Onde:
    case CliVerb::Recuperar:
    case CliVerb::Liberar:
    case CliVerb::Registros:
        return ExitUsage;
    }
    writeList(*list, out);
    db.rollback();
    return ExitSuccess;
}

} // namespace

int runCli(const CliOptions &options, QTextStream &out, QTextStream &err)
{
    Database db;
    try {
        return run(db, options, out, err);
    } catch (const Error &error) {
        err << error.message() << '\n';
        return ExitFailure;
    }
}

} // namespace tavro
