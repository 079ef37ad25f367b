#pragma once

#include <QString>

class QTextStream;

namespace tavro {

struct CliOptions;
struct CliSession;
struct SyncUnit;

// sincronizar: the unattended run for the unit of `session`, one at a time per database
// and unit. Prints the summary on `out` (and writes it as JSON where asked, and for the
// window); the run's steps go to the run log, and to `err` when it is a terminal. Exits
// 0 when nothing failed, 1 when a run or a check failed or another run holds the lock.
int runSyncVerb(const CliSession &session, const CliOptions &options, const SyncUnit &unit, const QString &database,
                QTextStream &out, QTextStream &err);

} // namespace tavro
