#pragma once

#include "common/Period.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavro {

class Database;

// The months that hold records of the unit still to send (never sent, rejected, or with
// a status outside the vocabulary): goods received and issue or dispensation lines of the
// unit by its code, stock positions of the unit by code or CNES. One period per month,
// oldest first. Reads in a fresh main transaction and rolls it back.
QList<Period> pendingMonths(Database &db, const QString &codigoUnidade, const QString &cnes);

// The days of the period on which the unit (code or CNES, as the stock list matches it)
// has stock positions still to send, oldest first, as day/month/year texts.
QStringList pendingStockDays(Database &db, const QString &cnes, const Period &period);

// The `dias` days up to yesterday.
Period lastDays(int dias, const QDate &hoje);

} // namespace tavro
