#pragma once

#include "common/Status.h"
#include "lists/ListKinds.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <utility>

namespace tavro {

class Database;
class SqlStatement;

// The writes below take the kind whose record table they change: "Saída" and "Dispensação"
// both live in itensSaidas.
// The table's name as statements write it, as "itensSaidas".
QString tableName(MovementKind table);
// The first line of an UPDATE of the table, as "update itensSaidas set ".
QString updateLine(MovementKind table);

// The condition that picks one record: its lines and their parameter values.
struct RecordKey
{
    QStringList lines;
    QList<QPair<QString, QVariant>> params;
};

// A record of the item tables, keyed by document and line.
RecordKey itemKey(const QString &lancamento, const QString &item);
// A stock position of conciliacao, keyed by its serial number.
RecordKey stockKey(const QString &lancamento);
// The record an origin key or row caption names ("lancamento-item-..."): a stock position
// by its first field, an item by its first two.
RecordKey recordKeyOf(MovementKind table, const QString &origem);
// Appends the key's lines to the statement and sets their parameters.
void addKey(SqlStatement &query, const RecordKey &key);

// Puts protocol, reception text and "Aguardando" on a record of an accepted batch,
// whatever status it had. Protocol and reception text keep at most 25 characters.
// False when the statement did not change what the key names: exactly one line of the
// item tables, at least one stock position.
bool markRecordSent(Database &db, MovementKind table, const QString &protocolo, const QString &data,
                    const RecordKey &key);

struct BatchRegistration
{
    QString protocolo;
    QString data;
    QDate dataLancamento;
    QString tipo;
    QString cnes;
    QString protocoloAntigo; // only for a rectification batch; empty otherwise
};

// Inserts the registry row of an accepted batch as "Aguardando"; the caller's commit makes
// the batch's record marks durable with it.
void registerBatch(Database &db, const BatchRegistration &batch);

// The provisional protocols of batches on their way begin with this text, which no protocol
// of the service does.
inline const QString ProvisionalPrefix = QStringLiteral("ENV");

// A batch written ahead of its request: its provisional protocol and the moment (the
// database's clock, "yyyy-MM-dd hh:mm:ss") it was written.
struct ProvisionalBatch
{
    QString protocolo;
    QString data;
};

// A piece of an `execute block`: the input parameters it adds to the block's head, its
// variables, its statements, and the values of its parameters.
struct BlockPart
{
    QStringList parameters;
    QStringList declarations;
    QStringList statements;
    QList<std::pair<QString, QVariant>> values;
};

// The statements that insert the registry row of a batch about to leave, as "Preparando",
// with a provisional protocol unique across the stations of this database and fitting the
// protocol columns; they leave it and the row's moment in the block's output variables
// PROTOCOLO and DATA. `batch.protocolo` and `batch.data` are not read; `protocoloAntigo` is
// the chosen protocol whatever the kind, so a release can give the records back to it.
BlockPart provisionalRegistryInsert(const BatchRegistration &batch);

// The service's answer to a batch on its way ("Enviando" or "Sem resposta"): the real
// protocol replaces the provisional one on the registry row and the records, "Aguardando".
// Without `rectifies` the registry row forgets the chosen protocol. Returns the records
// marked; none, with nothing written, when the batch was resolved or released meanwhile (by
// another program resolving the same batch, say).
std::optional<int> recordAnswer(Database &db, MovementKind table, const QString &provisorio, const QString &protocolo,
                                const QString &data, bool rectifies);
// Gives the records of a batch not yet resolved back: sendable again, or, when the batch took
// the "Ok" records of `protocoloAntigo`, that protocol's again. The registry row stays, as
// `situacao` ("Liberado" for a batch that may be at the service, "Não enviado" for one that
// provably is not), without the chosen protocol. False, with nothing written, when the batch
// is no longer unresolved.
bool releaseBatch(Database &db, MovementKind table, const QString &provisorio, const QString &protocoloAntigo,
                  const QString &situacao);
// "Enviando" on the registry row of a batch still "Preparando": from its commit on, the
// request may leave. False, with nothing written, when the batch was released meanwhile (by
// another station's recovery), and its request must not leave.
bool markPosting(Database &db, const QString &provisorio);
// "Não enviado" on the registry row of a batch not yet resolved that the service provably
// does not hold, its records left to the caller; the row is kept, as every registry row is.
// True when it changed.
bool markNotSent(Database &db, const QString &provisorio);
// "Sem resposta" on the registry row of a batch still "Enviando"; true when it changed.
bool markUnanswered(Database &db, const QString &provisorio);

// Guarded writes: each changes a row only while its stored priority is null or below
// `psitprio` (raiseProtocol: the new status's priority); raiseReportedRecord also
// rewrites an issue or dispensation line at an equal priority. So these writes never
// lower a status.
void raiseRecordsOfProtocol(Database &db, MovementKind table, const QString &protocolo, const QString &situacao,
                            int psitprio);
// A reported record changes only while it still carries the checked protocol: one sent
// again since under a newer protocol is that protocol's to follow up.
void raiseReportedRecord(Database &db, MovementKind table, const QString &protocolo, const RecordKey &key,
                         const QString &situacao, const QString &coRegistro, int psitprio);
void raiseProtocol(Database &db, const QString &protocolo, const QString &situacao);

// Stores the service's registration code on a record of the protocol, whatever its status.
void storeRegistrationCode(Database &db, MovementKind table, const QString &protocolo, const RecordKey &key,
                           const QString &coRegistro);
// Moves a record of the rectified protocol `protocoloAntigo` to the rectifying protocol,
// with its reception text and registration code; its status stays.
void moveRectifiedRecord(Database &db, MovementKind table, const QString &protocoloAntigo, const RecordKey &key,
                         const QString &protocolo, const QString &data, const QString &coRegistro);
// Sets the rectified protocol's row to "Ok-Retificado" whatever status it held.
void markProtocolRectified(Database &db, const QString &protocoloAntigo);

} // namespace tavro
