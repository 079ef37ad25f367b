#pragma once

#include <QStringList>

namespace tavro {

class Database;

// Every day that has stock positions, newest first, as day/month/year texts. Reads in
// a fresh main transaction and rolls it back.
QStringList stockDays(Database &db);

} // namespace tavro
