#include "TestDatabase.h"

#include "db/Database.h"
#include "sync/PendingPeriods.h"

#include <gtest/gtest.h>

using namespace tavro;
using tavro::test::TestDatabase;

namespace {

QStringList texts(const QList<Period> &periods)
{
    QStringList result;
    for (const Period &period : periods)
        result.append(period.dataInicial + QLatin1Char('-') + period.dataFinal);
    return result;
}

const QString January = QStringLiteral("01/01/2019-31/01/2019");
const QString February = QStringLiteral("01/02/2019-28/02/2019");

} // namespace

TEST(PendingPeriods, MonthsWithRecordsStillToSendFollowTheSendingRule)
{
    TestDatabase fixture;
    const auto months = [&] {
        Database db;
        db.open(fixture.path());
        return texts(pendingMonths(db, QStringLiteral("1"), QStringLiteral("2345678")));
    };
    EXPECT_EQ(months(), (QStringList{January, February}));

    // Everything of February sent (by each table's own date) leaves January alone.
    fixture.exec("update itensentradas ie set TavroSituacao = 'Aguardando' where exists "
                 "(select 1 from entradas e where e.lancamento = ie.lancamento and e.data >= '2019-02-01')");
    fixture.exec("update itenssaidas its set TavroSituacao = 'Ok (Inc.)' where exists "
                 "(select 1 from saidas s where s.lancamento = its.lancamento and s.data >= '2019-02-01')");
    fixture.exec("update conciliacao set TavroSituacao = 'Ok-Retificado' where data >= '2019-02-01'");
    EXPECT_EQ(months(), QStringList{January});

    // A rejected record, or one whose status is outside the vocabulary, is to be sent again.
    const struct
    {
        const char *status;
        bool pending;
    } cases[] = {{"Inconsistência", true}, {"Rejeitado", true}, {"", true}, {"Finalizado", false}, {"Ok", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status);
        fixture.exec(QStringLiteral("update itensentradas set TavroSituacao = '%1' where lancamento = 1005")
                         .arg(QString::fromUtf8(c.status)));
        EXPECT_EQ(months().contains(February), c.pending);
    }

    Database db;
    db.open(fixture.path());
    EXPECT_TRUE(pendingMonths(db, QStringLiteral("5"), QStringLiteral("6789012")).isEmpty());
}

TEST(PendingPeriods, StockDaysOfTheUnitWithPositionsToSend)
{
    TestDatabase fixture;
    const Period january{QStringLiteral("01/01/2019"), QStringLiteral("31/01/2019")};
    const auto days = [&](const QString &unidade) {
        Database db;
        db.open(fixture.path());
        return pendingStockDays(db, unidade, january);
    };
    const QStringList all{"29/01/2019", "30/01/2019", "31/01/2019"};
    EXPECT_EQ(days(QStringLiteral("2345678")), all);
    EXPECT_EQ(days(QStringLiteral("1")), all); // the stock list matches the unit by code or CNES

    fixture.exec("update conciliacao set TavroSituacao = 'Aguardando' where data = '2019-01-29'");
    EXPECT_EQ(days(QStringLiteral("2345678")), (QStringList{"30/01/2019", "31/01/2019"}));
}

TEST(PendingPeriods, LastDaysEndYesterday)
{
    const Period week = lastDays(7, QDate(2026, 3, 1));
    EXPECT_EQ(week.dataInicial, QStringLiteral("22/02/2026"));
    EXPECT_EQ(week.dataFinal, QStringLiteral("28/02/2026"));
}
