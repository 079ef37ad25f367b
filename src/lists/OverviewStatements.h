#pragma once

#include "db/SqlStatement.h"
#include "lists/OverviewFigures.h"

namespace tavro {

class Database;

// What an overview reads: the unit as each list picks it, whether products without a
// code count (the header's "Exibir produtos sem código" box) and the months.
struct OverviewSearch
{
    QString codigoUnidade; // the period lists' unit (PECodigoUnidade)
    QString cnes;          // the stock list's unit, by code or CNES (PECodCNES)
    bool exibirSemCodigo = false;
    OverviewPeriod period;
};

// The aggregate of one kind: the records its list would hold over the period's days
// (same tables, joins, unit and product conditions), counted by month (year * 100 +
// month) and status (empty for records never sent) in the database.
SqlStatement overviewStatement(MovementKind kind, const OverviewSearch &search);

// Runs the four aggregates in one fresh main transaction and rolls it back.
OverviewFigures loadOverview(Database &db, const OverviewSearch &search);

// The latest day on which the unit has a record of any kind and status that its list would
// show (the search's period is not read), or an invalid date when it has none.
QDate latestRecordDay(Database &db, const OverviewSearch &search);

// The last day of `month` on which the stock list holds records with status `situacao`
// (empty: never sent), or an invalid date when there is none. The stock list shows one
// day, so the overview opens the latest one of the month.
QDate latestStockDay(Database &db, const OverviewSearch &search, QDate month, const QString &situacao);

} // namespace tavro
