#pragma once

#include "sync/RunLock.h"
#include "sync/RunLog.h"
#include "sync/Synchronization.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tavro {

class Database;
class ProgressObserver;
class SoapClient;

// Who follows a run beside its log: each step once the log has it, each copy of the summary
// that could not be written, the progress (which may stop the run) and the rows the sends'
// checks refuse.
struct SyncFollowers
{
    std::function<void(const QString &)> step;
    std::function<void(const QString &)> unwritten;
    ProgressObserver *observer = nullptr;
    RefusalSink refused;
};

// One unattended run whole, the same whether the schedule (`tavro-cli sincronizar`) or the
// window ("Enviar tudo o que falta") starts it: the lock that keeps two runs of one database
// and unit apart, the run log, the run itself, and its summary left as JSON where the window
// reads the last one; the lock, the log and that summary are all in the data folder. A run
// refused (another one holds the lock, the unit has no CNES or IBGE) leaves "não iniciada:"
// and the reason in the log.
class SyncRun
{
public:
    // The lock and the summary name the database as config.ini names it. The lock names the
    // unit by the code it was chosen by (`tavro-cli --unidade`), otherwise by its CNES: a unit
    // named once by code and once by CNES counts as two.
    SyncRun(const QString &dataFolder, const QString &database, const QString &unitCode, const QString &cnes);

    // Takes the lock without waiting; while another run holds it, the message that says who
    // does (empty once taken).
    QString lock();

    // The run for `unit` under the lock, as `request` asks, its summary written for the window.
    // None, with the reason in `refusal`, when the unit has no CNES or no IBGE.
    std::optional<SyncSummary> run(Database &db, SoapClient &client, const SyncUnit &unit, const QString &usuarioSessao,
                                   const SyncRequest &request, const SyncFollowers &followers, QString &refusal);

    // Writes the summary as JSON also to `path` (the report a caller asked for); false with the
    // reason in `error`, which the log has too.
    bool writeReport(const SyncSummary &summary, const QString &path, QString &error);

    // The line that says the run log could not be written; empty while it can.
    QString logTrouble() const;

private:
    RunLog &log();
    QString notStarted(const QString &reason);

    QString m_dataFolder;
    QString m_database;
    RunLock m_lock;
    std::unique_ptr<RunLog> m_log; // opened at its first line
};

} // namespace tavro
