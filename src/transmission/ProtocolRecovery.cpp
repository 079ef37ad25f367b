#include "transmission/ProtocolRecovery.h"

#include "common/Error.h"
#include "common/Status.h"
#include "db/Database.h"
#include "lists/ListKinds.h"
#include "transmission/BatchClaim.h"
#include "transmission/LoggedBatch.h"
#include "transmission/StatusWrites.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace tavro {

namespace {

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
    return readRows(db, provisionalRows(QStringLiteral("and Situacao in (:penviando, :psemresposta)")));
}

int heldRecords(Database &db, const ProvisionalRow &row)
{
    SqlStatement query{QStringLiteral("select count(*) from ") + tableName(tableForTipo(row.tipo)),
                       QStringLiteral("where TavroProtocolo = :pprovisorio")};
    query.setParam(QStringLiteral("pprovisorio"), row.protocolo);
    SqlCursor cursor = db.select(query);
    return cursor.next() ? cursor.value(0).toInt() : 0;
}

UnansweredBatch unanswered(Database &db, const ProvisionalRow &row)
{
    return {row.protocolo, row.data, row.tipo, heldRecords(db, row)};
}

QString logPath(const QString &logFolder, const QString &provisorio, const char *suffix)
{
    return QDir(logFolder).filePath(provisorio + QLatin1String(suffix));
}

// The batch's answer log, when this station holds it; throws when it cannot be read.
std::optional<QByteArray> answerLog(const QString &logFolder, const QString &provisorio)
{
    QFile file(logPath(logFolder, provisorio, "_res.xml"));
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open file \"%1\". %2")
                        .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
    return file.readAll();
}

bool rectifies(const QString &tipo)
{
    const std::optional<MovementKind> kind = movementKindOfTipo(tipo);
    return kind && listKind(*kind).rectifies;
}

// Finishes or releases the batch from its answer log, with its own commit; none when this
// station has no answer log for it. Two programs may both read the batch unresolved: only
// the first write counts, the other learns ResolvedElsewhere. Throws RecordLocked when its
// records are held.
std::optional<BatchResolution> resolveFromLog(Database &db, const QString &logFolder, const ProvisionalRow &row,
                                              int &marked)
{
    const std::optional<QByteArray> log = answerLog(logFolder, row.protocolo);
    if (!log)
        return std::nullopt;
    const std::optional<LoggedAnswer> answer = readAnswerLog(*log);
    const RecordTable table = tableForTipo(row.tipo);
    db.startLockingTransaction(ClaimLockTimeoutSeconds);
    try {
        std::optional<BatchResolution> resolution = BatchResolution::ResolvedElsewhere;
        if (answer) {
            const std::optional<int> recorded = recordAnswer(db, table, row.protocolo, answer->protocolo, answer->data,
                                                             rectifies(row.tipo));
            if (recorded) {
                marked = *recorded;
                resolution = BatchResolution::Recorded;
            }
        } else if (releaseBatch(db, table, row.protocolo, row.protocoloAntigo)) {
            resolution = BatchResolution::NotTaken;
        }
        db.commit();
        return resolution;
    } catch (...) {
        db.rollback();
        throw;
    }
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
            int marked = 0;
            const std::optional<BatchResolution> resolution = resolveFromLog(db, logFolder, row, marked);
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
            db.rollback(); // its sender is recording it now
        } catch (const Error &error) {
            db.rollback();
            report.failures.append(QStringLiteral("Lote %1 não resolvido agora (nova tentativa no próximo envio): %2")
                                       .arg(row.protocolo, error.message()));
        }
    }
    return report;
}

BatchResolution resolveFailedBatch(Database &db, const QString &logFolder, const QString &provisorio)
{
    db.rollback();
    const std::optional<QByteArray> log = answerLog(logFolder, provisorio);
    if (!log)
        return QFile::exists(logPath(logFolder, provisorio, "_req.xml")) ? BatchResolution::Unresolved
                                                                         : BatchResolution::NotTaken;
    if (!readAnswerLog(*log))
        return BatchResolution::NotTaken;
    SqlStatement query = provisionalRows(QStringLiteral("and Protocolo = :pprovisorio"));
    query.setParam(QStringLiteral("pprovisorio"), provisorio);
    const QList<ProvisionalRow> rows = readRows(db, query);
    int marked = 0;
    if (rows.isEmpty() || resolveFromLog(db, logFolder, rows.first(), marked) != BatchResolution::Recorded)
        return BatchResolution::Unresolved;
    return BatchResolution::Recorded;
}

bool releaseUnanswered(Database &db, const QString &protocolo)
{
    db.rollback();
    SqlStatement query = provisionalRows(QStringLiteral("and Protocolo = :pprovisorio and Situacao = :psemresposta"));
    query.setParam(QStringLiteral("pprovisorio"), protocolo);
    const QList<ProvisionalRow> rows = readRows(db, query);
    if (rows.isEmpty())
        return false;
    db.startLockingTransaction(ClaimLockTimeoutSeconds);
    const bool released = releaseBatch(db, tableForTipo(rows.first().tipo), protocolo, rows.first().protocoloAntigo);
    db.commit();
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

QStringList unresolvedBatchIds(Database &db)
{
    QStringList ids;
    for (const ProvisionalRow &row : unresolvedRows(db))
        ids.append(row.protocolo);
    return ids;
}

} // namespace tavro
