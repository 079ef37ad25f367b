#include "app/OverviewModel.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

using namespace tavro;

// The overview's model keeps Qt's model rules through a reset with other figures, and a
// status cell opens its kind, month and status.
TEST(OverviewModel, KeepsTheModelRulesAndNamesItsCells)
{
    OverviewModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(model.rowCount(), 0);

    OverviewFigures figures(monthRange(QDate(2019, 1, 1), QDate(2019, 2, 1)));
    figures.add(MovementKind::Entradas, 201902, QStringLiteral("Estranho"), 3);
    model.setFigures(figures);
    ASSERT_EQ(model.rowCount(), 4 * 2);
    EXPECT_EQ(model.data(model.index(0, 0)).toString(), kindFacts(MovementKind::Estoque).caption);

    int column = -1;
    for (int c = 0; c < model.columnCount(); ++c) {
        if (model.headerData(c, Qt::Horizontal).toString() == QStringLiteral("Estranho"))
            column = c;
    }
    ASSERT_GE(column, 0);
    const std::optional<OverviewChoice> choice = model.choiceAt(model.index(3, column)); // entradas, 02/2019
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->kind, MovementKind::Entradas);
    EXPECT_EQ(choice->month, QDate(2019, 2, 1));
    EXPECT_EQ(choice->situacao, QStringLiteral("Estranho"));
    EXPECT_EQ(model.data(model.index(3, column)).toString(), QStringLiteral("3"));

    model.setFigures(OverviewFigures(yearPeriod(2019)));
    EXPECT_EQ(model.rowCount(), 4 * 12);
}
