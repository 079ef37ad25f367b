#pragma once

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace tavro {

class Database;
class ProgressObserver;

// One service log: a request or an answer.
struct LogFile
{
    QString name;
    qint64 size = 0;
    QDateTime modified;
};

// What the log folder holds, and what a retention of `days` days would remove from it.
struct LogSurvey
{
    QString folder;
    int days = 0; // 0 keeps every log
    qint64 count = 0;
    qint64 bytes = 0;
    LogFile oldest; // by the time each log was written; empty names when there is none
    LogFile newest;
    QList<LogFile> expired; // older than `days` days and of no batch kept
    qint64 expiredBytes = 0;
    qint64 keptOld = 0; // older than that, but of a batch not yet resolved
};

struct LogRemoval
{
    qint64 removed = 0;
    qint64 bytes = 0;
    QStringList failures; // one line per log that stayed
};

// Surveys the request and answer logs ("*_req.xml", "*_res.xml") of `folder`. With `days`
// above 0, a log last written more than that many days before `now` is expired, unless its
// name less the suffix is in `keep`: the logs of a batch whose outcome is still open are
// the only evidence of what left. Reports on `progress` every thousand logs.
LogSurvey surveyLogs(const QString &folder, int days, const QDateTime &now, const QSet<QString> &keep,
                     ProgressObserver *progress = nullptr);

// Removes the survey's expired logs, stopping early when `progress` asks.
LogRemoval removeExpiredLogs(const LogSurvey &survey, ProgressObserver *progress = nullptr);

// The names (less the suffix) of the logs of this database's batches not yet resolved.
QSet<QString> unresolvedBatchLogs(Database &db);

// The retention at start: removes the logs older than `days` days, except those of this
// database's unresolved batches. Returns what could not be removed, one line each.
QStringList removeOldLogs(Database &db, const QString &folder, int days, ProgressObserver *progress = nullptr);

} // namespace tavro
