#pragma once

#include <QString>

#include <memory>

class QTextStream;

namespace tavro {

class SyncRun;
struct CliOptions;
struct CliSession;
struct StartupConfig;
struct SyncUnit;

// Takes the lock of `sincronizar` (in `dataFolder`) for the database and unit named by config.ini and the
// options, before anything is opened: none, with the reason on `err` and in the run
// log, while another run holds it.
std::unique_ptr<SyncRun> lockSyncRun(const StartupConfig &config, const CliOptions &options, const QString &dataFolder,
                                     QTextStream &err);

// sincronizar: the unattended run `run` (locked) for the unit of `session`. Prints the
// summary on `out` (and writes it as JSON where asked); the run's steps go to the run log, and
// to `err` when it is a terminal. Exits 0 when nothing failed, 1 when a run or a check failed,
// or when the unit lacks its CNES or IBGE.
int runSyncVerb(SyncRun &run, const CliSession &session, const CliOptions &options, const SyncUnit &unit,
                QTextStream &out, QTextStream &err);

} // namespace tavro
