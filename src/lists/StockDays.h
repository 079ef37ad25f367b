#pragma once

#include <QStringList>

namespace tavro {

class Database;

// Every day that has stock positions, as day/month/year texts: first the days on which
// the unit (`cnes`, by code or CNES as the stock list matches it) has positions still to
// send, then the others, each group newest first. Reads in a fresh main transaction and
// rolls it back.
QStringList stockDays(Database &db, const QString &cnes);

} // namespace tavro
