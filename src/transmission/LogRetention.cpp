#include "transmission/LogRetention.h"

#include "common/ProgressObserver.h"
#include "transmission/ProtocolRecovery.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>

namespace tavro {

namespace {

const QStringList LogPatterns{QStringLiteral("*_req.xml"), QStringLiteral("*_res.xml")};
constexpr qint64 ProgressEvery = 1000;
constexpr int SuffixLength = 8; // "_req.xml", "_res.xml"

void report(ProgressObserver *progress, qint64 current, qint64 total, const QElapsedTimer &clock)
{
    if (!progress)
        return;
    Progress p;
    p.work = Progress::Work::Registros;
    p.current = current;
    p.total = total;
    p.elapsedMs = clock.elapsed();
    progress->progressed(p);
}

} // namespace

LogSurvey surveyLogs(const QString &folder, int days, const QDateTime &now, const QSet<QString> &keep,
                     ProgressObserver *progress)
{
    QElapsedTimer clock;
    clock.start();
    LogSurvey survey;
    survey.folder = folder;
    survey.days = days;
    const QDateTime limit = now.addDays(-days);
    QDirIterator it(folder, LogPatterns, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const LogFile log{info.fileName(), info.size(), info.lastModified()};
        ++survey.count;
        survey.bytes += log.size;
        if (survey.oldest.name.isEmpty() || log.modified < survey.oldest.modified)
            survey.oldest = log;
        if (survey.newest.name.isEmpty() || log.modified > survey.newest.modified)
            survey.newest = log;
        if (days > 0 && log.modified < limit) {
            if (keep.contains(log.name.chopped(SuffixLength))) {
                ++survey.keptOld;
            } else {
                survey.expired.append(log);
                survey.expiredBytes += log.size;
            }
        }
        if (survey.count % ProgressEvery == 0)
            report(progress, survey.count, 0, clock);
    }
    return survey;
}

LogRemoval removeExpiredLogs(const LogSurvey &survey, ProgressObserver *progress)
{
    QElapsedTimer clock;
    clock.start();
    LogRemoval removal;
    const QDir folder(survey.folder);
    const qint64 total = survey.expired.size();
    for (qint64 i = 0; i < total; ++i) {
        const LogFile &log = survey.expired.at(i);
        QFile file(folder.filePath(log.name));
        if (file.remove()) {
            ++removal.removed;
            removal.bytes += log.size;
        } else {
            removal.failures.append(
                QStringLiteral("Não foi possível remover o registro %1: %2").arg(file.fileName(), file.errorString()));
        }
        if ((i + 1) % ProgressEvery == 0) {
            report(progress, i + 1, total, clock);
            if (progress && progress->stopRequested())
                break;
        }
    }
    return removal;
}

QSet<QString> unresolvedBatchLogs(Database &db)
{
    // A batch written ahead and not yet resolved has its logs named after its provisional
    // protocol; they are the only evidence of what it sent.
    const QStringList ids = unresolvedBatchIds(db);
    return {ids.cbegin(), ids.cend()};
}

QStringList removeOldLogs(Database &db, const QString &folder, int days, ProgressObserver *progress)
{
    if (days <= 0)
        return {};
    const LogSurvey survey = surveyLogs(folder, days, QDateTime::currentDateTime(), unresolvedBatchLogs(db), progress);
    return removeExpiredLogs(survey, progress).failures;
}

} // namespace tavro
