#pragma once

class QTextStream;

namespace tavro {

class Database;
struct ConfigPlaces;

// registros: the data folder and its log folder, the number and size of the logs, the
// oldest and the newest, and what DiasRegistros would remove; with `limpar` it removes
// that. Progress goes to `err` when it is a terminal. Exits 1 when a log could not be removed.
int runRegistrosVerb(Database &db, const ConfigPlaces &places, int days, bool limpar, QTextStream &out,
                     QTextStream &err);

} // namespace tavro
