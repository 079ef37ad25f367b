#pragma once

#include <QString>

class QTextStream;

namespace tavro {

class Database;
struct CliOptions;

// pendencias: the registration list of the unit `codigoUnidade` (or of every unit), as text
// (the count of each group, then one tab-separated line per row and fix) or JSON, and as CSV
// where asked. Exits 3 when a send would refuse some row, 0 when none (warnings alone do not
// count), 1 when the list could not be made or the CSV written.
int runPendenciasVerb(Database &db, const CliOptions &options, const QString &codigoUnidade, QTextStream &out,
                      QTextStream &err);

} // namespace tavro
