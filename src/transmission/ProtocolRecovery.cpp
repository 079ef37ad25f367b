#include "transmission/ProtocolRecovery.h"

#include "common/Error.h"
#include "common/Status.h"
#include "db/Database.h"
#include "db/TransactionGuard.h"
#include "lists/ListKinds.h"
#include "service/CallDelivery.h"
#include "service/CallLog.h"
#include "transmission/BatchClaim.h"
#include "transmission/LoggedBatch.h"
#include "transmission/StatusWrites.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace tavro {

namespace {

// How the resolution of a batch by its answer log ended.
enum class BatchResolution {
    Recorded,          // the service's protocol: recorded, with its commit
    NotTaken,          // the service refused it: released
    ResolvedElsewhere, // another program recorded or released it meanwhile
};

// A registry row written ahead and not yet resolved.
struct ProvisionalRow
{
    QString protocolo;
    QString data;
    QString tipo;
    QString protocoloAntigo;
    QString situacao;
    qint64 idade = 0; // seconds since it was written ahead
};

SqlStatement provisionalRows(const QString &condition)
{
    SqlStatement query{QStringLiteral("select Protocolo, Data, Tipo, ProtocoloAntigo, Situacao,"),
                       QStringLiteral("  datediff(second from cast(Data as timestamp) to current_timestamp)"),
                       QStringLiteral("from TavroProtocolos where Protocolo starting with :pprefixo"), condition,
                       QStringLiteral("order by Lancamento")};
    query.setParam(QStringLiteral("pprefixo"), ProvisionalPrefix);
    query.setParam(QStringLiteral("ppreparando"), Situacao::Preparando);
    query.setParam(QStringLiteral("penviando"), Situacao::Enviando);
    query.setParam(QStringLiteral("psemresposta"), Situacao::SemResposta);
    return query;
}

QList<ProvisionalRow> readRows(Database &db, const SqlStatement &query)
{
    QList<ProvisionalRow> rows;
    SqlCursor cursor = db.select(query);
    while (cursor.next())
        rows.append({cursor.text(0), cursor.text(1), cursor.text(2), cursor.text(3), cursor.text(4),
                     cursor.value(5).toLongLong()});
    cursor.close();
    db.rollback();
    return rows;
}

QList<ProvisionalRow> unresolvedRows(Database &db)
{
    return readRows(db, provisionalRows(QStringLiteral("and Situacao in (:ppreparando, :penviando, :psemresposta)")));
}

int heldRecords(Database &db, const ProvisionalRow &row)
{
    SqlStatement query{QStringLiteral("select count(*) from ") + tableName(kindOfTipo(row.tipo)),
                       QStringLiteral("where TavroProtocolo = :pprovisorio")};
    query.setParam(QStringLiteral("pprovisorio"), row.protocolo);
    SqlCursor cursor = db.select(query);
    return cursor.next() ? cursor.value(0).toInt() : 0;
}

UnansweredBatch unanswered(Database &db, const ProvisionalRow &row)
{
    return {row.protocolo, row.data, row.tipo, heldRecords(db, row)};
}

// What this station's log folder says of a batch's answer.
struct FoundAnswer
{
    std::optional<AnswerLog> log; // the answer to the batch's own request
    QStringList ignored;          // logs under the batch's name that are not that answer
};

QString ignoredLine(const QString &file, const QString &provisorio, const QString &why)
{
    return QStringLiteral("Log %1 deixado de lado: %2; o lote %3 continua sem resposta registrada.")
        .arg(QDir::toNativeSeparators(file), why, provisorio);
}

// The answer log of the batch: the first of provisorio_res.xml, provisorio_2_res.xml, ... that
// answers the request in provisorio_req.xml. A log that cannot be read, that lacks its closing
// comment (cut, of an older version) or answers another request is named and left alone: the
// batch stays without answer rather than be taken for refused.
FoundAnswer answerLog(const QString &logFolder, const QString &provisorio)
{
    FoundAnswer found;
    const QDir folder(logFolder);
    std::optional<QByteArray> digest;
    QFile request(folder.filePath(provisorio + QStringLiteral("_req.xml")));
    if (request.open(QIODevice::ReadOnly))
        digest = requestDigest(loggedMessage(request.readAll()));
    for (int n = 1;; ++n) {
        const QString stem = n == 1 ? provisorio : provisorio + QLatin1Char('_') + QString::number(n);
        QFile file(folder.filePath(stem + QStringLiteral("_res.xml")));
        if (!file.exists())
            return found;
        if (!file.open(QIODevice::ReadOnly)) {
            found.ignored.append(ignoredLine(file.fileName(), provisorio,
                                             QStringLiteral("não pôde ser lido (%1)").arg(file.errorString())));
            continue;
        }
        const std::optional<AnswerLog> log = parseAnswerLog(file.readAll());
        if (!log)
            found.ignored.append(ignoredLine(file.fileName(), provisorio,
                                             QStringLiteral("está incompleto ou não diz a que pedido responde")));
        else if (!digest)
            found.ignored.append(
                ignoredLine(file.fileName(), provisorio,
                            QStringLiteral("o log do pedido %1_req.xml não pôde ser lido").arg(provisorio)));
        else if (log->requestDigest != *digest)
            found.ignored.append(ignoredLine(file.fileName(), provisorio, QStringLiteral("responde a outro pedido")));
        else {
            found.log = log;
            return found;
        }
    }
}

bool rectifies(const QString &tipo)
{
    const std::optional<MovementKind> kind = movementKindOfTipo(tipo);
    return kind && kindFacts(*kind).rectifies;
}

// Finishes or releases the batch by its answer log, with its own commit: an answer with a
// protocol records it, the service's refusal releases it as "Não enviado". None when this
// station holds no answer of the batch's request, or the answer does not say whether the
// service took it. Two programs may both read the batch unresolved: only the first write
// counts, the other learns ResolvedElsewhere. Throws RecordLocked when its records are held.
std::optional<BatchResolution> resolveFromLog(const std::optional<AnswerLog> &log, Database &db,
                                              const ProvisionalRow &row, int &marked)
{
    if (!log)
        return std::nullopt;
    const LoggedAnswer answer = readAnswerLog(log->message);
    CallEvidence evidence;
    evidence.bodySent = true;
    evidence.status = log->status;
    evidence.body = answer.body;
    const Delivery delivery = deliveryOf(evidence);
    if (delivery == Delivery::Unknown)
        return std::nullopt;
    const MovementKind table = kindOfTipo(row.tipo);
    LockingWrites writes(db, ClaimLockTimeoutSeconds);
    std::optional<BatchResolution> resolution = BatchResolution::ResolvedElsewhere;
    if (delivery == Delivery::Taken) {
        const std::optional<int> recorded = recordAnswer(db, table, row.protocolo, answer.protocolo, answer.data,
                                                         rectifies(row.tipo));
        if (recorded) {
            marked = *recorded;
            resolution = BatchResolution::Recorded;
        }
    } else if (releaseBatch(db, table, row.protocolo, row.protocoloAntigo, Situacao::NaoEnviado)) {
        resolution = BatchResolution::NotTaken;
    }
    writes.commit();
    return resolution;
}

// Releases a batch that never got past "Preparando": its request never left.
bool releaseNotPosted(Database &db, const ProvisionalRow &row)
{
    LockingWrites writes(db, ClaimLockTimeoutSeconds);
    const bool released = releaseBatch(db, kindOfTipo(row.tipo), row.protocolo, row.protocoloAntigo,
                                       Situacao::NaoEnviado);
    writes.commit();
    return released;
}

} // namespace

QString unansweredLine(const UnansweredBatch &batch)
{
    return QStringLiteral("Lote %1 sem resposta do serviço: enviado em %2, %3, %4 registro(s) retidos até ser "
                          "liberado para reenvio.")
        .arg(batch.protocolo, batch.data, batch.tipo)
        .arg(batch.registros);
}

int unansweredAfterSeconds(int tempoLimite)
{
    return 2 * tempoLimite + 60;
}

RecoveryReport resolveProvisionalBatches(Database &db, const QString &logFolder, int unansweredAfter)
{
    RecoveryReport report;
    db.rollback();
    for (const ProvisionalRow &row : unresolvedRows(db)) {
        try {
            if (row.situacao == Situacao::Preparando) {
                // Its sender holds the row while it writes the request's log; once the sender
                // is gone, the row says the request never left.
                if (releaseNotPosted(db, row))
                    report.released.append(
                        QStringLiteral("Lote %1 (%2) não chegou a ser enviado: seus registros voltam a ser enviados.")
                            .arg(row.protocolo, row.tipo));
                continue;
            }
            const FoundAnswer found = answerLog(logFolder, row.protocolo);
            report.ignoredLogs += found.ignored;
            int marked = 0;
            const std::optional<BatchResolution> resolution = resolveFromLog(found.log, db, row, marked);
            if (resolution == BatchResolution::Recorded) {
                report.recovered.append(
                    QStringLiteral("Lote %1 (%2) registrado pela resposta do serviço guardada no log: %3 registro(s).")
                        .arg(row.protocolo, row.tipo)
                        .arg(marked));
                continue;
            }
            if (resolution == BatchResolution::ResolvedElsewhere)
                continue;
            if (resolution == BatchResolution::NotTaken) {
                report.released.append(
                    QStringLiteral("Lote %1 (%2) não aceito pelo serviço: seus registros voltam a ser enviados.")
                        .arg(row.protocolo, row.tipo));
                continue;
            }
            if (row.situacao == Situacao::Enviando) {
                if (row.idade < unansweredAfter)
                    continue; // its call may still be under way
                if (markUnanswered(db, row.protocolo))
                    ++report.newlyUnanswered;
                db.commit();
            }
            report.unanswered.append(unanswered(db, row));
            db.rollback();
        } catch (const RecordLocked &) {
            db.rollback(); // its sender is writing or recording it now
        } catch (const Error &error) {
            db.rollback();
            report.failures.append(QStringLiteral("Lote %1 não resolvido agora (nova tentativa no próximo envio): %2")
                                       .arg(row.protocolo, error.message()));
        }
    }
    return report;
}

bool releaseUnanswered(Database &db, const QString &protocolo)
{
    db.rollback();
    SqlStatement query = provisionalRows(QStringLiteral("and Protocolo = :pprovisorio and Situacao = :psemresposta"));
    query.setParam(QStringLiteral("pprovisorio"), protocolo);
    const QList<ProvisionalRow> rows = readRows(db, query);
    if (rows.isEmpty())
        return false;
    LockingWrites writes(db, ClaimLockTimeoutSeconds);
    const bool released = releaseBatch(db, kindOfTipo(rows.first().tipo), protocolo, rows.first().protocoloAntigo,
                                       Situacao::Liberado);
    writes.commit();
    return released;
}

QList<UnansweredBatch> releaseUnansweredOlderThan(Database &db, int hours)
{
    QList<UnansweredBatch> released;
    db.rollback();
    for (const ProvisionalRow &row : readRows(db, provisionalRows(QStringLiteral("and Situacao = :psemresposta")))) {
        if (row.idade < qint64(hours) * 3600)
            continue;
        const UnansweredBatch batch = unanswered(db, row);
        db.rollback();
        if (releaseUnanswered(db, row.protocolo))
            released.append(batch);
    }
    return released;
}

bool hasUnresolvedBatches(Database &db)
{
    SqlStatement query{QStringLiteral("select count(*) from TavroProtocolos where Protocolo starting with :pprefixo"),
                       QStringLiteral("and Situacao in (:ppreparando, :penviando, :psemresposta)")};
    query.setParam(QStringLiteral("pprefixo"), ProvisionalPrefix);
    query.setParam(QStringLiteral("ppreparando"), Situacao::Preparando);
    query.setParam(QStringLiteral("penviando"), Situacao::Enviando);
    query.setParam(QStringLiteral("psemresposta"), Situacao::SemResposta);
    SqlCursor cursor = db.selectRow(query);
    return cursor.next() && cursor.value(0).toInt() > 0;
}

QStringList unresolvedBatchIds(Database &db)
{
    QStringList ids;
    for (const ProvisionalRow &row : unresolvedRows(db))
        ids.append(row.protocolo);
    return ids;
}

} // namespace tavro
