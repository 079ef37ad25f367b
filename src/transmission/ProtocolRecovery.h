#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace tavro {

class Database;

// Our own bookkeeping table: one row per answer log already examined (its station and
// folder, its file name) and the protocol it held, so a later start opens only new logs.
// The program creates it when it is missing.
inline const QString RecoveryTableName = QStringLiteral("TavroLogsVerificados");

struct RecoveryReport
{
    QStringList recovered; // one line per protocol recorded from its logs
    QStringList failures;  // logs that could not be examined or recorded, with the reason
};

// Records every batch the service accepted whose answer log lies in `logFolder` and whose
// protocol has no registry row, because the run that sent it failed or died before its
// commit: the registry row from the answer, the marks of its records from the request log
// of the same name (guarded by markRecordRecovered). Each log is recorded with its own
// commit, in a transaction that waits at most a few seconds for a record another one
// holds. Logs without a batch's protocol (faults, follow-up answers), protocols already
// registered and request logs without their answer are passed over. A log whose records are
// held by another transaction (most likely the run that sent the batch, about to commit it)
// is passed over without a report; it and any log whose recording failed are examined again
// at the next call. A folder without new answer logs costs one directory scan and one query.
RecoveryReport recoverProtocols(Database &db, const QString &logFolder, const QDate &hoje);

} // namespace tavro
