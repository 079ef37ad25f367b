#pragma once

#include <QString>

#include <memory>

class QTextStream;

namespace tavro {

class RunLock;
struct CliOptions;
struct CliSession;
struct StartupConfig;
struct SyncUnit;

// Takes the lock of `sincronizar` (in `dataFolder`) for the database and unit named by config.ini and the
// options, before anything is opened: none, with the reason on `err` and in the run
// log, while another run holds it. A unit named once by code and once through
// CNESFARMACIA counts as two.
std::unique_ptr<RunLock> lockSyncRun(const StartupConfig &config, const CliOptions &options, const QString &dataFolder,
                                     QTextStream &err);

// sincronizar: the unattended run for the unit of `session`, under the lock. Prints the
// summary on `out` (and writes it as JSON where asked, and for the window); the run's
// steps go to the run log, and to `err` when it is a terminal. Exits 0 when nothing
// failed, 1 when a run or a check failed.
int runSyncVerb(const CliSession &session, const CliOptions &options, const SyncUnit &unit, const QString &database,
                QTextStream &out, QTextStream &err);

} // namespace tavro
