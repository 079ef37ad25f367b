#include "TestDatabase.h"
#include "common/Error.h"
#include "common/Status.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "lists/MovementLists.h"
#include "lists/OverviewStatements.h"
#include "lists/RecordList.h"
#include "lists/StockDays.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tavro;
using tavro::test::TestDatabase;

namespace {

const StatusBoxes EveryStatus{false, false, false, false, false}; // no box ticked lists every status

class Overview : public ::testing::Test
{
protected:
    void SetUp() override { db.open(fixture.path()); }

    OverviewSearch search(const QString &codigo = QStringLiteral("1"), const QString &cnes = QStringLiteral("2345678"))
    {
        OverviewSearch s;
        s.codigoUnidade = codigo;
        s.cnes = cnes;
        s.period = yearPeriod(2019);
        return s;
    }

    // How many rows the kind's tab lists for a month, by the status each row shows: the
    // period lists searched over the month's days, the stock list over each of its days.
    QMap<QString, qint64> listed(MovementKind kind, const OverviewSearch &s, int month)
    {
        ListSearch list;
        list.kind = kind;
        list.exibirSemCodigo = s.exibirSemCodigo;
        list.status = EveryStatus;
        const QDate first = s.period.month(month), last = first.addMonths(1).addDays(-1);
        QStringList days;
        if (kind == MovementKind::Estoque) {
            list.unidade = s.cnes;
            for (const QString &day : stockDays(db, QString())) {
                const QDate d = dateFromText(day);
                if (d >= first && d <= last)
                    days.append(day);
            }
        } else {
            list.unidade = s.codigoUnidade;
            list.period.dataInicial = dateToText(first);
            list.period.dataFinal = dateToText(last);
            days.append(QString());
        }
        QMap<QString, qint64> counts;
        for (const QString &day : days) {
            list.dia = day;
            const std::unique_ptr<RecordList> rows(newMovementList(kind, nullptr));
            fillMovementList(db, list, *rows);
            for (int r = 0; r < rows->rowCount(); ++r)
                ++counts[rows->subCell(r, kindFacts(kind).cells.situacao)];
        }
        return counts;
    }

    // Every figure of the overview equals what the tab lists, and the tab lists nothing
    // the overview missed.
    void expectFiguresMatchLists(const OverviewSearch &s)
    {
        const OverviewFigures figures = loadOverview(db, s);
        for (const MovementKind kind : AllLists) {
            for (int month = 0; month < s.period.months; ++month) {
                const QMap<QString, qint64> rows = listed(kind, s, month);
                qint64 listedTotal = 0;
                for (auto it = rows.begin(); it != rows.end(); ++it) {
                    listedTotal += it.value();
                    EXPECT_EQ(figures.count(kind, month, it.key()), it.value())
                        << "kind " << int(kind) << " month " << month << " status " << it.key().toStdString();
                }
                EXPECT_EQ(figures.total(kind, month), listedTotal) << "kind " << int(kind) << " month " << month;
            }
        }
    }

    TestDatabase fixture;
    Database db;
};

TEST(OverviewPeriods, MonthsOfEachChoice)
{
    const OverviewPeriod twelve = lastTwelveMonths(QDate(2026, 3, 10));
    EXPECT_EQ(twelve.firstDay(), QDate(2025, 4, 1));
    EXPECT_EQ(twelve.lastDay(), QDate(2026, 3, 31));
    EXPECT_EQ(twelve.indexOf(QDate(2025, 12, 31)), 8);
    EXPECT_EQ(twelve.indexOf(QDate(2026, 4, 1)), -1);
    EXPECT_EQ(yearPeriod(2019).lastDay(), QDate(2019, 12, 31));
    const OverviewPeriod range = monthRange(QDate(2018, 11, 1), QDate(2019, 2, 1));
    EXPECT_EQ(range.months, 4);
    EXPECT_EQ(monthText(range.month(3)), QStringLiteral("02/2019"));
    EXPECT_THROW(monthRange(QDate(2019, 2, 1), QDate(2019, 1, 1)), Error);

    EXPECT_EQ(monthFromText(QStringLiteral("02/2019")), QDate(2019, 2, 1));
    for (const char *bad : {"13/2019", "00/2019", "2/2019", "02/19", "02-2019", ""})
        EXPECT_FALSE(monthFromText(QString::fromLatin1(bad))) << bad;
}

TEST_F(Overview, DemoFiguresByKindAndMonth)
{
    const OverviewFigures figures = loadOverview(db, search());
    EXPECT_EQ(figures.count(MovementKind::Estoque, 0, QString()), 27); // 9 coded positions on 3 days
    EXPECT_EQ(figures.count(MovementKind::Entradas, 0, QString()), 8);
    EXPECT_EQ(figures.count(MovementKind::Entradas, 1, QString()), 1);
    EXPECT_EQ(figures.count(MovementKind::Saidas, 0, QString()), 6);
    EXPECT_EQ(figures.count(MovementKind::Dispensacoes, 0, QString()), 7);
    EXPECT_EQ(figures.count(MovementKind::Dispensacoes, 1, QString()), 1);
    EXPECT_EQ(figures.total(MovementKind::Saidas, 2), 0);
    EXPECT_EQ(figures.situacoes(), overviewSituacoes());
    expectFiguresMatchLists(search());
    EXPECT_FALSE(db.inTransaction());
}

// Statuses of the whole vocabulary, null and empty, an unknown text, records moved to
// other months and years, another unit's records and products without catalogue code.
TEST_F(Overview, MixedStatusesMonthsAndUnits)
{
    const char *updates[] = {
        "update itensentradas set TavroSituacao = 'Aguardando', TavroProtocolo = 'P1' where lancamento = 1001",
        "update itensentradas set TavroSituacao = '' where lancamento = 1002 and item = 1",
        "update itensentradas set TavroSituacao = 'Ok (Inc.)' where lancamento = 1003",
        "update itensentradas set TavroSituacao = 'Estranho' where lancamento = 1004 and item = 1",
        "update itensentradas set codunidade = 2 where lancamento = 1002 and item = 2",
        "update entradas set data = '2019-03-15' where lancamento = 1004",
        "update entradas set data = '2018-12-31' where lancamento = 1005",
        "update itenssaidas set TavroSituacao = 'Finalizado' where lancamento in (2001, 3001)",
        "update itenssaidas set TavroSituacao = 'Inconsistência' where lancamento in (2003, 3002)",
        "update itenssaidas set TavroSituacao = 'Ok-Retificado' where lancamento = 3003",
        "update itenssaidas set TavroSituacao = 'Ok' where lancamento in (3004, 3006)",
        "update itenssaidas set codunidade = 2 where lancamento = 3005 and item = 1",
        "update saidas set data = '2019-12-01' where lancamento in (2004, 3007)",
        "update conciliacao set TavroSituacao = 'Ok' where data = '2019-01-29' and codproduto < 105",
        "update conciliacao set TavroSituacao = 'Inconsistência' where lancamento = 5025",
        "update conciliacao set data = '2019-02-28' where lancamento between 5012 and 5016",
        "update conciliacao set TavroSituacao = 'Aguardando' where lancamento = 5034",
    };
    for (const char *sql : updates)
        fixture.exec(QString::fromUtf8(sql));

    OverviewSearch s = search();
    const OverviewFigures figures = loadOverview(db, s);
    EXPECT_EQ(figures.count(MovementKind::Entradas, 0, Situacao::Aguardando), 3);
    EXPECT_EQ(figures.count(MovementKind::Entradas, 0, QString()), 1); // empty and null alike
    EXPECT_EQ(figures.count(MovementKind::Entradas, 2, QStringLiteral("Estranho")), 1);
    EXPECT_EQ(figures.count(MovementKind::Entradas, 1, QString()), 0); // moved to December 2018
    EXPECT_EQ(figures.count(MovementKind::Saidas, 0, Situacao::Inconsistencia), 2);
    EXPECT_EQ(figures.count(MovementKind::Dispensacoes, 11, QString()), 1);
    EXPECT_EQ(figures.count(MovementKind::Estoque, 1, QString()), 5);
    EXPECT_EQ(figures.situacoes().last(), QStringLiteral("Estranho"));
    expectFiguresMatchLists(s);

    s.exibirSemCodigo = true;
    expectFiguresMatchLists(s);
    const OverviewSearch other = search(QStringLiteral("2"), QStringLiteral("2"));
    EXPECT_EQ(loadOverview(db, other).count(MovementKind::Estoque, 0, Situacao::Aguardando), 1);
    expectFiguresMatchLists(other);
    s.period = monthRange(QDate(2018, 12, 1), QDate(2019, 1, 1));
    EXPECT_EQ(loadOverview(db, s).count(MovementKind::Entradas, 0, QString()), 1);
    expectFiguresMatchLists(s);

    s = search();
    EXPECT_EQ(latestStockDay(db, s, QDate(2019, 1, 1), Situacao::Ok), QDate(2019, 1, 29));
    EXPECT_EQ(latestStockDay(db, s, QDate(2019, 1, 1), QString()), QDate(2019, 1, 31));
    EXPECT_EQ(latestStockDay(db, s, QDate(2019, 2, 1), QString()), QDate(2019, 2, 28));
    EXPECT_FALSE(latestStockDay(db, s, QDate(2019, 3, 1), QString()).isValid());
}

} // namespace
