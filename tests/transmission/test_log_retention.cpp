#include "TestDatabase.h" // PrintTo for QString

#include "common/ProgressObserver.h"
#include "transmission/LogRetention.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavro;

namespace {

const QDateTime Now(QDate(2026, 12, 10), QTime(3, 0));

// A log of `size` bytes last written `daysAgo` days (and an hour) before Now.
void writeLog(const QDir &folder, const QString &name, int daysAgo, int size = 10)
{
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
    file.flush(); // a later flush would write the time anew
    file.setFileTime(Now.addDays(-daysAgo).addSecs(-3600), QFileDevice::FileModificationTime);
}

QStringList names(const QList<LogFile> &logs)
{
    QStringList result;
    for (const LogFile &log : logs)
        result.append(log.name);
    result.sort();
    return result;
}

struct CountingProgress : ProgressObserver
{
    void progressed(const Progress &progress) override { seen.append(progressText(progress)); }
    QStringList seen;
};

} // namespace

// Old logs leave, except those of a batch still open and whatever is not a log.
TEST(LogRetention, RemovesLogsOlderThanTheDaysExceptOpenBatchesAndOtherFiles)
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    writeLog(folder, QStringLiteral("2026_01_02_02_00_00_req.xml"), 342, 100);
    writeLog(folder, QStringLiteral("2026_01_02_02_00_00_res.xml"), 342, 50);
    writeLog(folder, QStringLiteral("2026_11_09_02_00_00_2_req.xml"), 31);
    writeLog(folder, QStringLiteral("P-77_req.xml"), 200); // a batch whose answer never came
    writeLog(folder, QStringLiteral("P-77_res.xml"), 200);
    writeLog(folder, QStringLiteral("2026_11_11_02_00_00_req.xml"), 29);
    writeLog(folder, QStringLiteral("2026_12_10_02_00_00_req.xml"), 0, 7);
    writeLog(folder, QStringLiteral("sincronizar.log"), 400);
    writeLog(folder, QStringLiteral("notas.xml"), 400);

    const QSet<QString> open{QStringLiteral("P-77")};
    const LogSurvey survey = surveyLogs(folder.path(), 30, Now, open);
    EXPECT_EQ(survey.count, 7);
    EXPECT_EQ(survey.bytes, 100 + 50 + 10 * 4 + 7);
    EXPECT_EQ(survey.oldest.name, QStringLiteral("2026_01_02_02_00_00_req.xml"));
    EXPECT_EQ(survey.newest.name, QStringLiteral("2026_12_10_02_00_00_req.xml"));
    EXPECT_EQ(
        names(survey.expired),
        (QStringList{"2026_01_02_02_00_00_req.xml", "2026_01_02_02_00_00_res.xml", "2026_11_09_02_00_00_2_req.xml"}));
    EXPECT_EQ(survey.expiredBytes, 160);
    EXPECT_EQ(survey.keptOld, 2);
    EXPECT_TRUE(surveyLogs(folder.path(), 0, Now, {}).expired.isEmpty()); // 0 keeps everything

    const LogRemoval removal = removeExpiredLogs(survey);
    EXPECT_EQ(removal.removed, 3);
    EXPECT_EQ(removal.bytes, 160);
    EXPECT_TRUE(removal.failures.isEmpty());
    QStringList left = folder.entryList(QDir::Files);
    left.sort();
    EXPECT_EQ(left,
              (QStringList{"2026_11_11_02_00_00_req.xml", "2026_12_10_02_00_00_req.xml", "P-77_req.xml", "P-77_res.xml",
                           "notas.xml", "sincronizar.log"}));

    // A log that is gone by the time it is removed is named, and the others still go.
    const LogSurvey again = surveyLogs(folder.path(), 10, Now, {});
    QFile::remove(folder.filePath(QStringLiteral("P-77_res.xml")));
    const LogRemoval partial = removeExpiredLogs(again);
    EXPECT_EQ(partial.removed, 2);
    ASSERT_EQ(partial.failures.size(), 1);
    EXPECT_TRUE(partial.failures.first().contains(QStringLiteral("P-77_res.xml")));
}

TEST(LogRetention, ALargeFolderReportsItsProgress)
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    for (int i = 0; i < 2500; ++i)
        writeLog(folder, QStringLiteral("L%1_req.xml").arg(i), 40, 1);
    CountingProgress progress;
    const LogSurvey survey = surveyLogs(folder.path(), 30, Now, {}, &progress);
    ASSERT_EQ(progress.seen.size(), 2);
    EXPECT_TRUE(progress.seen.at(1).startsWith(QStringLiteral("2000 registros examinados")))
        << progress.seen.at(1).toStdString();
    progress.seen.clear();
    EXPECT_EQ(removeExpiredLogs(survey, &progress).removed, 2500);
    ASSERT_EQ(progress.seen.size(), 2);
    EXPECT_TRUE(progress.seen.at(0).startsWith(QStringLiteral("1000 de 2500 registros removidos")))
        << progress.seen.at(0).toStdString();
}
