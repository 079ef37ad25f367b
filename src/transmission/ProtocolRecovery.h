#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tavro {

class Database;

// A batch of this database whose answer no station recorded, past the time a call may take.
struct UnansweredBatch
{
    QString protocolo; // provisional
    QString data;      // when it was written ahead, by the database's clock
    QString tipo;
    int registros = 0; // records still held by it
};

// The line of "Erros" (and of the command line) for a batch without answer.
QString unansweredLine(const UnansweredBatch &batch);

struct RecoveryReport
{
    QStringList recovered;             // one line per batch finished from its answer log
    QStringList released;              // one line per batch whose answer log holds no protocol
    QList<UnansweredBatch> unanswered; // every batch "Sem resposta" after the call
    int newlyUnanswered = 0;           // of those, the ones this call found past the time limit
    QStringList failures;              // batches that could not be resolved now, with the reason
};

// Seconds after which a batch still "Enviando" can no longer be waiting for its answer:
// the description and the post of a call may each take the transfer time limit.
int unansweredAfterSeconds(int tempoLimite);

// Resolves the batches of this database still on their way ("Enviando" or "Sem resposta")
// from the answer logs this station holds, read by the name each batch's provisional
// protocol gives (nothing else in `logFolder` is read): an answer with a protocol finishes
// the batch ("Aguardando"), any other answer releases its records; a batch without answer
// log older than `unansweredAfter` seconds becomes "Sem resposta". Each batch has its own
// commit; one whose records another transaction holds (its sender, about to record it) is
// passed over. The main transaction is rolled back first.
RecoveryReport resolveProvisionalBatches(Database &db, const QString &logFolder, int unansweredAfter);

// How a batch whose call failed ended.
enum class BatchResolution {
    Recorded,          // its answer log held the service's protocol: recorded, with its commit
    NotTaken,          // nothing left the station, or the answer took nothing: the caller releases it
    Unresolved,        // the request left and no answer came: it stays "Enviando"
    ResolvedElsewhere, // another program recorded or released it meanwhile
};
// Resolves the batch `provisorio` of this run right after its call failed; a batch without
// a request log never left.
BatchResolution resolveFailedBatch(Database &db, const QString &logFolder, const QString &provisorio);

inline const QString LiberarParaReenvioCaption = QStringLiteral("Liberar para reenvio");
// %1 is the batch's provisional protocol.
inline const QString LoteLiberadoMessage = QStringLiteral("Lote %1 liberado para reenvio: seus registros voltam a ser "
                                                          "enviados.");
inline const QString SomenteSemRespostaMessage = QStringLiteral(
    "Somente protocolos \"Sem resposta\" podem ser liberados para reenvio!");
inline const QString NenhumLoteSemRespostaMessage = QStringLiteral("O protocolo %1 não é um lote sem resposta.");

// The clerk's "Liberar para reenvio": releases the records of the batch "Sem resposta"
// `protocolo`, with its own commit. False when no such batch is waiting to be released.
bool releaseUnanswered(Database &db, const QString &protocolo);
// Releases every batch "Sem resposta" written ahead more than `hours` ago, each with its own
// commit; returns them.
QList<UnansweredBatch> releaseUnansweredOlderThan(Database &db, int hours);

// The provisional protocols of this database's unresolved batches: their logs must be kept.
QStringList unresolvedBatchIds(Database &db);

} // namespace tavro
