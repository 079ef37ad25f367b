#include "transmission/Transmission.h"

#include "common/Error.h"
#include "common/ProgressObserver.h"
#include "common/Status.h"
#include "db/Database.h"
#include "db/TransactionGuard.h"
#include "db/UFunc.h"
#include "lists/RecordList.h"
#include "service/SoapClient.h"
#include "service/TavroWSAsync.h"
#include "transmission/BatchClaim.h"
#include "transmission/RecordValues.h"
#include "transmission/TransmissionKind.h"

#include <QElapsedTimer>

#include <array>

namespace tavro {

namespace {

const QString Sim = QStringLiteral("Sim");

std::optional<coTipoEstabelecimento> unitType(Database &db, const QString &cnes)
{
    SqlStatement query{
        QStringLiteral("select tipoestabelecimento from unidades where codigo = :punidade or numero = :punidade")};
    query.setParam(QStringLiteral("punidade"), cnes);
    SqlCursor cursor = db.select(query);
    const QString first = cursor.next() ? cursor.text(0).left(1) : QString();
    cursor.close();
    if (first == QLatin1String("A"))
        return coTipoEstabelecimento::A;
    if (first == QLatin1String("R"))
        return coTipoEstabelecimento::R;
    if (first == QLatin1String("F"))
        return coTipoEstabelecimento::F;
    return std::nullopt;
}

// Does a run take the row, after `taken` rows? A chosen protocol takes its "Ok" rows
// whatever their number; a new batch, up to its size, the rows whose status allows sending.
bool selected(const RecordList &list, int row, const TransmissionCells &cells, const TransmissionInput &input,
              int taken)
{
    return rowToSend(list, row, cells, input.protocolo) && (!input.protocolo.isEmpty() || taken < input.loteMaximo);
}

} // namespace

bool isPassingServerText(const QString &result)
{
    return result.contains(QLatin1String("Could not roll back Hibernate transaction"))
        || result.contains(QStringLiteral("O identificador não está no estado correto"));
}

bool rowsLeftToSend(const TransmissionKind &kind, const RecordList &list, const TransmissionInput &input)
{
    const TransmissionCells cells = kind.cells();
    QStringList ignored;
    for (int row = 0; row < list.rowCount(); ++row) {
        if (selected(list, row, cells, input, 0) && kind.check(list, row, ignored))
            return true;
    }
    return false;
}

bool rowToSend(const RecordList &list, int row, const TransmissionCells &cells, const QString &protocolo)
{
    const QStringView situacao = list.subCellView(row, cells.situacao);
    if (protocolo.isEmpty())
        return sendableInNewBatch(situacao);
    return list.subCellView(row, cells.protocolo) == protocolo && situacao == Situacao::Ok;
}

QString transmitOnce(Database &db, SoapClient &client, TransmissionKind &kind, RecordList &list,
                     const TransmissionInput &input, RunReport &report)
{
    const TransmissionCells cells = kind.cells();
    QElapsedTimer clock;
    clock.start();
    QList<int> batchRows; // the rows given the run mark, in list order
    // A failed run's writes are undone at once, so no later commit can make a record
    // durable as sent without the registry row of its protocol.
    const TransactionGuard transaction(db);
    QList<std::array<QString, 3>> shownBefore; // their protocol, date and status cells before the run
    try {
        BatchContext context;
        context.retransmission = !input.protocolo.isEmpty();
        context.protocolo = input.protocolo;
        context.coIBGE = integerValue(input.ibge);
        context.cnes = input.cnes;
        if (kind.needsUnitType()) {
            context.tipoEstabelecimento = unitType(db, input.cnes);
            if (!context.tipoEstabelecimento) {
                report.unitTypeMissing = true;
                return QString();
            }
        }
        kind.begin(context);

        BatchClaim claim(db, kind, input);
        int taken = 0;
        for (int row = 0; row < list.rowCount(); ++row) {
            list.setSubCell(row, cells.gravar, QString());
            const bool take = selected(list, row, cells, input, taken);
            const qsizetype linesBefore = report.erros.size();
            const bool passes = kind.check(list, row, report.erros);
            for (qsizetype i = linesBefore; i < report.erros.size(); ++i)
                report.recusas.append({list.caption(row), report.erros.at(i)});
            if (!take || !passes || !claim.claim(list, row))
                continue;
            try {
                kind.add(list, row);
            } catch (const RowValueError &error) {
                report.erros.append(UnreadableRowMessage + rowName(list, row, cells.nome) + QStringLiteral(" - ")
                                    + error.message());
                report.recusas.append({list.caption(row), report.erros.last()});
                continue;
            }
            ++taken;
            list.setSubCell(row, cells.gravar, Sim);
            batchRows.append(row);
            shownBefore.append(
                {list.subCell(row, cells.protocolo), list.subCell(row, cells.data), list.subCell(row, cells.situacao)});
        }
        report.batchSize = taken;
        if (taken == 0)
            return RunResult::Pronto; // the guard ends the claims' transaction

        report.buildingMs = clock.nsecsElapsed() / 1e6;
        report.claimingMs = claim.elapsedMs();
        TavroWSAsync port = GetTavroWSAsync(true, QString(), client);
        const SentBatch answer = kind.send(port);
        report.erros += client.takeLogFailures();
        const QString protocolo = answer.protocolo.left(StoredProtocolLength);
        // An answer without a protocol number (a Body without the protocol element) gives the
        // records nothing to be followed up by: marked, they would wait for ever instead of
        // going out again with the next run.
        if (protocolo.trimmed().isEmpty())
            throw Error(RespostaSemProtocoloMessage);
        const QString data = answer.dataRecebimento.left(StoredProtocolLength);
        QStringList retornos{protocolo};
        if (answer.protocoloRetificado)
            retornos.append(*answer.protocoloRetificado);
        retornos.append(data);
        report.retornos = retornos;
        clock.restart();

        for (const int row : batchRows) {
            list.setSubCell(row, cells.gravar, QString());
            list.setSubCell(row, cells.protocolo, protocolo);
            list.setSubCell(row, cells.data, data);
            list.setSubCell(row, cells.situacao, Situacao::Aguardando);
            // A record gone or changed since the search would stay unmarked and go out again.
            if (!markRecordSent(db, kind.table(), protocolo, data, kind.key(list, row, input)))
                throw Error(RegistroNaoMarcadoMessage.arg(list.caption(row)));
        }
        BatchRegistration batch{protocolo, data, input.hoje, kind.tipo(), input.cnes, QString()};
        if (context.retransmission && kind.rectifies())
            batch.protocoloAntigo = input.protocolo;
        registerBatch(db, batch);
        report.markingMs = clock.nsecsElapsed() / 1e6;
        report.enviados = int(batchRows.size());
        return RunResult::Transmitido;
    } catch (const Error &error) {
        report.erros += client.takeLogFailures();
        report.dica = error.hint();
        // Every row of the batch, marked in the list or not yet, shows again what its record
        // holds once the guard has rolled the run back.
        for (qsizetype i = 0; i < batchRows.size(); ++i) {
            const int row = batchRows.at(i);
            list.setSubCell(row, cells.gravar, QString());
            list.setSubCell(row, cells.protocolo, shownBefore.at(i)[0]);
            list.setSubCell(row, cells.data, shownBefore.at(i)[1]);
            list.setSubCell(row, cells.situacao, shownBefore.at(i)[2]);
        }
        // The loop goes on after these, so the clerk sees them nowhere else.
        if (isPassingServerText(error.message()))
            report.erros.append(error.message());
        return error.message();
    }
}

namespace {

// What an observer that asks nothing sees of a loop without one.
class NoObserver : public ProgressObserver
{
public:
    void progressed(const Progress &) override { }
};

} // namespace

ClickOutcome transmitRepeatedly(int vezes, const std::function<QString()> &run)
{
    NoObserver none;
    return transmitRepeatedly(
        vezes, [&](RunReport &) { return run(); }, none);
}

ClickOutcome transmitRepeatedly(int vezes, const std::function<QString(RunReport &)> &run, ProgressObserver &observer)
{
    ClickOutcome outcome;
    QElapsedTimer clock;
    clock.start();
    Progress progress;
    progress.work = Progress::Work::Transmissao;
    progress.total = vezes;
    for (int i = 0; i < vezes; ++i) {
        if (observer.stopRequested()) {
            outcome.stopped = true;
            break;
        }
        progress.current = i + 1;
        progress.elapsedMs = clock.elapsed();
        observer.progressed(progress);
        if (observer.stopRequested()) { // taken while the report was drawn
            outcome.stopped = true;
            break;
        }
        RunReport report;
        const QString result = run(report);
        outcome.results.append(result);
        if (result == RunResult::Transmitido)
            progress.enviados += report.batchSize;
        else if (result != RunResult::Pronto)
            progress.recusados += report.batchSize;
        progress.elapsedMs = clock.elapsed();
        observer.progressed(progress);
        if (result == RunResult::Transmitido)
            continue;
        if (isPassingServerText(result)) {
            outcome.stoppedByServer = true;
            continue;
        }
        if (result == RunResult::Pronto) {
            outcome.end = ClickOutcome::AllSent;
            return outcome;
        }
        outcome.end = ClickOutcome::Aborted;
        outcome.message = result;
        return outcome;
    }
    outcome.end = ClickOutcome::RunsUsedUp;
    return outcome;
}

} // namespace tavro
