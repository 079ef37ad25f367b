#include "transmission/Transmission.h"

#include "common/Error.h"
#include "common/Status.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "db/TransactionGuard.h"
#include "db/UFunc.h"
#include "lists/RecordList.h"
#include "service/CallDelivery.h"
#include "service/SoapClient.h"
#include "service/TavroWSAsync.h"
#include "transmission/BatchClaim.h"
#include "transmission/ProtocolRecovery.h"
#include "transmission/RecordValues.h"
#include "transmission/RowCheckMessages.h"
#include "transmission/TransmissionKind.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QThread>

#include <optional>

namespace tavro {

namespace {

const QString Sim = QStringLiteral("Sim");

// Runs `write` again while another transaction holds the row it changes, for at most
// ClaimLockTimeoutSeconds: the run's transaction does not wait by itself.
template <class Write>
auto whenFree(Write write)
{
    const QDeadlineTimer deadline(ClaimLockTimeoutSeconds * 1000);
    while (true) {
        try {
            return write();
        } catch (const RecordLocked &) {
            if (deadline.hasExpired())
                throw;
            QThread::msleep(50);
        }
    }
}

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

// Can XML 1.0 carry the text? Not a control character but tab, line feed and carriage return,
// nor a lone surrogate, U+FFFE or U+FFFF.
bool xmlCarries(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
        if (c == 0xFFFE || c == 0xFFFF)
            return false;
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode()))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(c)) {
            return false;
        }
    }
    return true;
}

// Runs the row's checks, their lines going to the report. The values of a row that does not go
// out (`goesOut` false) are not looked at: the kind's own checks still speak of every row.
bool checkRow(const TransmissionKind &kind, const RecordList &list, int row, RunReport &report, bool goesOut)
{
    const qsizetype linesBefore = report.erros.size();
    const bool passes = goesOut ? rowPasses(kind, list, row, report.erros) : kind.check(list, row, report.erros);
    for (qsizetype i = linesBefore; i < report.erros.size(); ++i)
        report.recusas.append({list.caption(row), report.erros.at(i)});
    return passes;
}

void showSent(RecordList &list, int row, const TransmissionCells &cells, const QString &protocolo, const QString &data,
              const QString &situacao)
{
    list.setSubCell(row, cells.protocolo, protocolo);
    list.setSubCell(row, cells.data, protocolDateText(data));
    list.setSubCell(row, cells.situacao, situacao);
    if (situacao != Situacao::Enviando)
        list.setSubCell(row, cells.gravar, QString());
}

// What the resolution before a run tells the clerk: batches finished or released from their
// logs, and the batches it has just found without answer.
void takeResolution(const RecoveryReport &resolution, RunReport &report)
{
    report.erros += resolution.recovered + resolution.released + resolution.failures + resolution.ignoredLogs;
    if (resolution.newlyUnanswered > 0) {
        for (const UnansweredBatch &batch : resolution.unanswered)
            report.erros.append(unansweredLine(batch));
    }
}

// Ends the run's batch after its run failed, by what the call saw. A batch the service
// provably does not hold gives its records back what they held before the run, its registry
// row kept as "Não enviado"; one that may be at the service stays "Enviando", with a line that
// says so, until its answer is found or it is released. True when the batch was given back.
bool endFailedBatch(Database &db, Delivery delivery, const QString &provisorio, BatchClaim &claim,
                    const RecordList &list, const QList<int> &rows, const QList<RecordMark> &before, RunReport &report)
{
    db.rollback();
    if (delivery != Delivery::NotTaken) {
        report.erros.append(SemRespostaAindaMessage.arg(provisorio));
        return false;
    }
    try {
        LockingWrites writes(db, ClaimLockTimeoutSeconds);
        const bool given = markNotSent(db, provisorio);
        if (given)
            claim.writeMarks(list, rows, before);
        writes.commit();
        return given;
    } catch (const Error &error) {
        db.rollback();
        report.erros.append(NaoDevolvidoMessage.arg(provisorio, error.message()));
        return false;
    }
}

// Is the error the service's refusal with one of the two texts after which it takes the batch on a
// later call? The send goes on after them.
bool passesOn(const Error &error)
{
    const auto *failure = dynamic_cast<const CallFailure *>(&error);
    return failure && failure->delivery() == Delivery::NotTaken
        && (error.message().contains(QLatin1String("Could not roll back Hibernate transaction"))
            || error.message().contains(QStringLiteral("O identificador não está no estado correto")));
}

} // namespace

// Every value of the row reaches the service as the database holds it, or the row is refused,
// each cell that would not named: a cell the database layer could not read in the database's
// code page holds U+FFFD where the bytes were, and a character XML cannot carry would be
// dropped or refused on the way.
bool rowPasses(const TransmissionKind &kind, const RecordList &list, int row, QStringList &erros)
{
    bool readable = true;
    const QString caption = list.caption(row);
    const auto header = [&list](int column) { return list.headerData(column, Qt::Horizontal).toString(); };
    for (int column = 0; column < list.columnCount(); ++column) {
        const QStringView cell = column == 0 ? QStringView(caption) : list.subCellView(row, column - 1);
        if (cell.contains(QChar::ReplacementCharacter)) {
            erros.append(RowCheck::CaractereIndefinido.arg(header(column), caption));
            readable = false;
        } else if (!xmlCarries(cell)) {
            erros.append(CaractereInvalidoMessage.arg(header(column).toLower(), caption));
            readable = false;
        }
    }
    return readable && kind.check(list, row, erros);
}

bool addRow(TransmissionKind &kind, const RecordList &list, int row, QStringList &erros)
{
    try {
        kind.add(list, row);
        return true;
    } catch (const RowValueError &error) {
        erros.append(UnreadableRowMessage + rowName(list, row, kind.cells().nome) + QStringLiteral(" - ")
                     + error.message());
        return false;
    }
}

QString RunResult::text() const
{
    switch (end) {
    case End::Sent:
        return QStringLiteral("transmitido");
    case End::NothingLeft:
        return QStringLiteral("pronto");
    case End::UnitTypeMissing:
        return QString();
    case End::ServiceText:
    case End::Failed:
        break;
    }
    return message;
}

bool rowsLeftToSend(const TransmissionKind &kind, const RecordList &list, const TransmissionInput &input)
{
    const TransmissionCells cells = kind.cells();
    QStringList ignored;
    for (int row = 0; row < list.rowCount(); ++row) {
        if (selected(list, row, cells, input, 0) && rowPasses(kind, list, row, ignored))
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

RunResult transmitOnce(Database &db, SoapClient &client, TransmissionKind &kind, RecordList &list,
                       const TransmissionInput &input, RunReport &report)
{
    const TransmissionCells cells = kind.cells();
    QElapsedTimer clock;
    clock.start();
    QList<int> batchRows; // the rows of the batch written ahead, in list order
    // A failed run's writes before its batch is written ahead are undone at once; from then
    // on the batch is "Enviando" in the database until it is resolved. The run's transaction
    // does not wait for a record another one holds: a claim tries held records again, and
    // the registry row's writes are tried again while held (whenFree).
    LockingWrites writes(db, 0);
    QList<RecordMark> shownBefore; // their protocol, date and status cells before the run
    QString provisorio;
    bool answered = false; // the service's answer arrived
    std::optional<BatchClaim> claim;
    try {
        BatchContext context;
        context.retransmission = !input.protocolo.isEmpty();
        context.protocolo = input.protocolo;
        context.coIBGE = integerValue(input.ibge);
        context.cnes = input.cnes;
        if (kind.needsUnitType()) {
            context.tipoEstabelecimento = input.tipoEstabelecimento ? input.tipoEstabelecimento
                                                                    : unitType(db, input.cnes);
            report.tipoEstabelecimento = context.tipoEstabelecimento;
            if (!context.tipoEstabelecimento)
                return {RunResult::End::UnitTypeMissing};
        }
        kind.begin(context);

        QList<int> candidates;
        for (int row = 0; row < list.rowCount(); ++row) {
            list.setSubCell(row, cells.gravar, QString());
            const bool take = selected(list, row, cells, input, int(candidates.size()));
            if (checkRow(kind, list, row, report, take) && take)
                candidates.append(row);
        }
        claim.emplace(db, kind, input);
        // Batches not yet resolved are resolved before any record is claimed: the claim looks
        // for them first.
        std::optional<QList<ClaimOutcome>> claimed = claim->claim(list, candidates, true);
        report.unresolvedMet = !claimed;
        if (!claimed) {
            takeResolution(resolveProvisionalBatches(db, client.logFolder(),
                                                     unansweredAfterSeconds(client.settings().TempoLimite)),
                           report);
            db.startLockingTransaction(0);
            claimed = claim->claim(list, candidates, false);
        }
        const QList<ClaimOutcome> &outcomes = *claimed;
        int held = 0;
        for (qsizetype i = 0; i < candidates.size(); ++i) {
            const int row = candidates.at(i);
            if (outcomes.at(i) == ClaimOutcome::Held) {
                ++held;
                report.erros.append(recordHeldMessage(list.caption(row)));
                report.recusas.append({list.caption(row), report.erros.last()});
                continue;
            }
            // The values read under the lock may no longer pass the row's checks.
            if (outcomes.at(i) == ClaimOutcome::Changed || !checkRow(kind, list, row, report, true))
                continue;
            if (!addRow(kind, list, row, report.erros)) {
                report.recusas.append({list.caption(row), report.erros.last()});
                continue;
            }
            batchRows.append(row);
        }
        report.batchSize = int(batchRows.size());
        report.claimingMs = claim->claimingMs();
        if (batchRows.isEmpty()) {
            if (held > 0)
                throw Error(TodosEmUsoMessage);
            return {RunResult::End::NothingLeft}; // the guard ends the claims' transaction
        }

        // Written ahead: from this commit on, no transmitter takes these records. The batch is
        // "Preparando" until its request's log is on the disk.
        BatchRegistration registration{QString(), QString(), input.hoje, kind.tipo(), input.cnes, input.protocolo};
        const ProvisionalBatch ahead = claim->writeAhead(list, batchRows, registration);
        writes.commitRetaining();
        provisorio = ahead.protocolo;
        report.writingAheadMs = clock.nsecsElapsed() / 1e6 - report.claimingMs;
        for (const int row : batchRows) {
            shownBefore.append(
                {list.subCell(row, cells.protocolo), list.subCell(row, cells.data), list.subCell(row, cells.situacao)});
            list.setSubCell(row, cells.gravar, Sim);
            showSent(list, row, cells, ahead.protocolo, ahead.data, Situacao::Enviando);
        }
        report.buildingMs = clock.nsecsElapsed() / 1e6;

        // "Enviando" is committed once the request's log is written and synced, right before the
        // post: until then the uncommitted write holds the row, so another station's recovery
        // waits instead of releasing a batch about to leave, and a batch found "Preparando"
        // after a crash provably never left.
        QElapsedTimer posting;
        posting.start();
        if (!whenFree([&] { return markPosting(db, provisorio); }))
            throw Error(LiberadoAntesDeSairMessage.arg(provisorio));
        const double markedPostingMs = posting.nsecsElapsed() / 1e6;
        TavroWSAsync port = GetTavroWSAsync(true, QString(), client);
        port.setLogName(provisorio);
        port.setBeforePost([&] {
            posting.restart();
            // Commits "Enviando"; the answer is recorded in the transaction that goes on.
            writes.commitRetaining();
            report.postingMs = markedPostingMs + posting.nsecsElapsed() / 1e6;
        });
        const SentBatch answer = kind.send(port);
        answered = true;
        report.erros += client.takeLogFailures();
        const QString protocolo = answer.protocolo.left(StoredProtocolLength);
        // An answer without a protocol number (a Body without the protocol element) is not the
        // service's answer to a batch: whether the service holds the batch is not known, so it
        // stays "Enviando" rather than go out again.
        if (protocolo.trimmed().isEmpty())
            throw Error(RespostaSemProtocoloMessage);
        const QString data = answer.dataRecebimento.left(StoredProtocolLength);
        QStringList retornos{protocolo};
        if (answer.protocoloRetificado)
            retornos.append(*answer.protocoloRetificado);
        retornos.append(data);
        report.retornos = retornos;
        clock.restart();

        whenFree([&] {
            return recordAnswer(db, kind.table(), provisorio, protocolo, data,
                                context.retransmission && kind.rectifies());
        });
        // The next run goes on in the transaction, which holds nothing now.
        writes.commitRetaining();
        report.markingMs = clock.nsecsElapsed() / 1e6;
        for (const int row : batchRows)
            showSent(list, row, cells, protocolo, data, Situacao::Aguardando);
        report.enviados = int(batchRows.size());
        return {RunResult::End::Sent};
    } catch (const Error &error) {
        // The run's writes not yet committed go at once, and its transaction with them.
        db.rollback();
        report.erros += client.takeLogFailures();
        // Before the call, nothing left; after the answer arrived, only what is recorded counts.
        Delivery delivery = answered ? Delivery::Unknown : Delivery::NotTaken;
        if (const auto *failure = dynamic_cast<const CallFailure *>(&error))
            delivery = failure->delivery();
        const bool givenBack = !provisorio.isEmpty()
            && endFailedBatch(db, delivery, provisorio, *claim, list, batchRows, shownBefore, report);
        report.unresolvedMet = report.unresolvedMet || (!provisorio.isEmpty() && !givenBack);
        for (qsizetype i = 0; i < batchRows.size(); ++i) {
            const int row = batchRows.at(i);
            list.setSubCell(row, cells.gravar, QString());
            // A batch given back shows again what its records hold.
            if (givenBack && i < shownBefore.size())
                showSent(list, row, cells, shownBefore.at(i).protocolo, shownBefore.at(i).data,
                         shownBefore.at(i).situacao);
        }
        // The send goes on after these, so the clerk sees them nowhere else.
        if (passesOn(error)) {
            report.erros.append(error.message());
            return {RunResult::End::ServiceText, error.message()};
        }
        return {RunResult::End::Failed, error.message(), error.hint()};
    }
}

} // namespace tavro
