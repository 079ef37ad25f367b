#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

namespace tavro {

class Database;

// A batch of this database whose records are held back until its answer is known: its
// registry row is "Preparando", "Enviando" or "Sem resposta".
struct HeldBatch
{
    QString protocolo; // provisional
    QString data;      // when it was written ahead, by the database's clock ("yyyy-MM-dd hh:mm:ss")
    QString tipo;
    QString situacao;
    QString cnes;
    int registros = 0; // records it holds

    // When a batch still "Enviando" can no longer be waiting for its answer, so that it may
    // be released: `unansweredAfter` seconds after it was written ahead.
    QDateTime releasableFrom(int unansweredAfter) const;
};

// What every front end says of the held batches of a unit: the protocol list, the status
// strip, the end of each send, the nightly run's summary and the overview.
struct HeldRecords
{
    QList<HeldBatch> lotes; // in the order they were written ahead

    bool isEmpty() const { return lotes.isEmpty(); }
    int registros() const;
    // Records per status of their batches, and per kind ("Estoque", "Entrada", ...).
    QMap<QString, int> porSituacao() const;
    QMap<QString, int> porTipo() const;
    // "9 registros retidos em 1 lote sem resposta"; empty when no record is held.
    QString text() const;
};

// The held batches of the unit whose CNES is `cnes` (of every unit when empty), only those
// of the kind `tipo` when one is given. Reads on the main transaction and rolls it back.
HeldRecords heldRecords(Database &db, const QString &cnes, const QString &tipo = QString());

// What a batch is and what the clerk can do about it, for the protocol list's tooltip.
QString heldBatchAdvice(const HeldBatch &batch, int unansweredAfter);

// The answer to "Liberar para reenvio" on a batch still waiting for its answer:
// "Lote ENV12-3fa9c1 ainda aguardando resposta; poderá ser liberado a partir de 03:47."
QString notYetReleasableMessage(const HeldBatch &batch, int unansweredAfter);

// A batch whose records were released for resending without an answer (registry row
// "Liberado"), with the request log this station keeps of it (empty when there is none).
struct ReleasedBatch
{
    QString protocolo;
    QString data;
    QByteArray requestLog;

    // Whether its request carried the record with this origin key.
    bool sent(const QString &origem) const;
};

// The released batches of kind `tipo`, read on the main transaction as it stands (a check
// reads them amid its own writes), with their request logs from `logFolder`. When a record
// sent again comes back as already registered, the batch that carried it first is among them.
QList<ReleasedBatch> releasedBatches(Database &db, const QString &logFolder, const QString &tipo);

// What releasing a batch without answer risks, said before it is released (%1: the batch).
inline const QString ReleaseRiskMessage = QStringLiteral(
    "O lote %1 pode já estar no serviço: se estiver, os registros reenviados voltarão como duplicados "
    "(\"Ok (Inc.)\").");

} // namespace tavro
