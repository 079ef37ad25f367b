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
    QStringList ignoredLogs;           // logs under a batch's name that are not its answer, named
};

// Seconds after which a batch still "Enviando" can no longer be waiting for its answer:
// the description and the post of a call may each take the transfer time limit.
int unansweredAfterSeconds(int tempoLimite);

// Resolves the batches of this database not yet resolved. A batch still "Preparando" never
// left (its sender is gone: a live one holds its row): its records are released at once and
// its row becomes "Não enviado". A batch "Enviando" or "Sem resposta" is looked up in the
// answer logs this station holds, by the name its provisional protocol gives (nothing else in
// `logFolder` is read), and only an answer log that answers the batch's own request counts:
// the service's protocol finishes the batch ("Aguardando"), the service's refusal releases it
// ("Não enviado"), and anything else (a gateway's page, say) leaves it without answer. A batch
// without answer older than `unansweredAfter` seconds becomes "Sem resposta". Each batch has
// its own commit; one whose rows another transaction holds (its sender) is passed over. The
// main transaction is rolled back first.
RecoveryReport resolveProvisionalBatches(Database &db, const QString &logFolder, int unansweredAfter);

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

// Does this database hold a batch not yet resolved? One request, in the running transaction.
bool hasUnresolvedBatches(Database &db);

// The provisional protocols of this database's unresolved batches: their logs must be kept.
QStringList unresolvedBatchIds(Database &db);

} // namespace tavro
