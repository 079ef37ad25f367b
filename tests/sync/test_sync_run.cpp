#include "TestService.h"

#include "db/Database.h"
#include "service/SoapClient.h"
#include "sync/SyncRun.h"
#include "transmission/Transmission.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavro;

namespace {

const QString Database1 = QStringLiteral("servidor:/dados/um.fdb");
const QString Cnes = QStringLiteral("2345678");

QString lastLogLine(const QString &dataFolder)
{
    QFile file(syncLogPath(dataFolder));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last();
}

} // namespace

// Two runs of one database and unit never overlap, whoever starts them; the refused one says who
// holds the lock and leaves "não iniciada" in the run log. A unit named by code and the same one
// named by CNES are two, as are two databases.
TEST(SyncRun, TheLockKeepsRunsOfOneDatabaseAndUnitApart)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString held = QStringLiteral("Outra sincronização deste banco e desta unidade já está em andamento "
                                        "(processo %1).")
                             .arg(QCoreApplication::applicationPid());
    const struct
    {
        const char *what;
        QString database, unitCode, cnes;
        bool refused;
    } cases[] = {
        {"the same unit by CNES", Database1, QString(), Cnes, true},
        {"the same unit by code", Database1, QStringLiteral("1"), QStringLiteral("9999999"), true},
        {"another CNES", Database1, QString(), QStringLiteral("7654321"), false},
        {"the unit by code against it by CNES", Database1, QStringLiteral("2"), Cnes, false},
        {"another database", QStringLiteral("servidor:/dados/dois.fdb"), QString(), Cnes, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SyncRun byCnes(folder.path(), Database1, QString(), Cnes);
        SyncRun byCode(folder.path(), Database1, QStringLiteral("1"), Cnes);
        ASSERT_EQ(byCnes.lock(), QString());
        ASSERT_EQ(byCode.lock(), QString());
        SyncRun other(folder.path(), c.database, c.unitCode, c.cnes);
        EXPECT_EQ(other.lock(), c.refused ? held : QString());
        EXPECT_EQ(lastLogLine(folder.path()).endsWith(QStringLiteral(" não iniciada: ") + held), c.refused)
            << lastLogLine(folder.path()).toStdString();
        QFile::remove(syncLogPath(folder.path()));
    }
    // A run that ended leaves the lock to the next one.
    SyncRun next(folder.path(), Database1, QString(), Cnes);
    EXPECT_EQ(next.lock(), QString());
}

// A unit without its CNES or IBGE is not run: the service and the database are not asked, the
// run log says why, and the window's last summary is left as it was.
TEST(SyncRun, AUnitWithoutItsCodesIsNotRun)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    Database db; // never opened: the run must not get that far
    HttpTransport transport;
    const auto client = test::makeClient(transport, test::localOrigin(test::unusedPort()), folder.path(),
                                         test::TestLogin);
    const struct
    {
        SyncUnit unit;
        QString refusal;
    } cases[] = {
        {{QStringLiteral("1"), QString(), QStringLiteral("3550308")}, InformeCnesMessage},
        {{QStringLiteral("1"), Cnes, QString()}, InformeIbgeMessage},
        {{QStringLiteral("1"), QString(), QString()}, InformeCnesMessage},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.refusal.toStdString());
        SyncRun run(folder.path(), Database1, QString(), c.unit.cnes);
        ASSERT_EQ(run.lock(), QString());
        QString refusal;
        bool stepped = false;
        SyncFollowers followers;
        followers.step = [&](const QString &) { stepped = true; };
        const std::optional<SyncSummary> summary = run.run(db, *client, c.unit, QStringLiteral("FARMACIA"),
                                                           SyncRequest(), followers, refusal);
        EXPECT_FALSE(summary.has_value());
        EXPECT_EQ(refusal, c.refusal);
        EXPECT_FALSE(stepped);
        EXPECT_TRUE(lastLogLine(folder.path()).endsWith(QStringLiteral(" não iniciada: ") + c.refusal))
            << lastLogLine(folder.path()).toStdString();
        EXPECT_FALSE(QFileInfo::exists(lastSummaryPath(folder.path())));
        EXPECT_EQ(run.logTrouble(), QString());
    }
}
