#pragma once

#include "transmission/StatusWrites.h"

#include <QString>

namespace tavro {

class Database;

// One reported inconsistency as a row of the follow-up's table: the record, what it
// holds, and what the service said of it.
struct InconsistencyRow
{
    QString protocolo;
    QString registro; // lancamento, or lancamento-item
    QString produto;
    QString pessoa;   // the patient, or the destination unit, of an issue; empty otherwise
    QString codigo;   // the catalogue's code text
    QString mensagem; // the service's text
};

// Fills `row.registro`, `produto` and `pessoa` from the record the origin key names; a
// record that is not found leaves the last two empty.
void describeRecord(Database &db, MovementKind table, const QString &origem, InconsistencyRow &row);

// The line that names a protocol before the lines of its check: "Protocolo 123 - Estoque - <reception>".
QString followupHeading(const QString &protocolo, const QString &tipo, const QString &data);

} // namespace tavro
