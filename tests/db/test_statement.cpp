#include "db/SqlStatement.h"

#include <gtest/gtest.h>

using namespace tavro;

TEST(PositionalSql, ReplacesNamesAndKeepsRepeats)
{
    const PositionalSql p = toPositional(QStringLiteral("select * from u where codigo = :pCod or numero = :pcod"));
    EXPECT_EQ(p.sql, QStringLiteral("select * from u where codigo = ? or numero = ?"));
    EXPECT_EQ(p.names, (QStringList{QStringLiteral("pcod"), QStringLiteral("pcod")}));
}

TEST(PositionalSql, LeavesQuotedTextsAndCommentsAlone)
{
    const PositionalSql p = toPositional(
        QStringLiteral("select ':pnot', \"A:B\" from t -- :pcomment\nwhere a = :pa /* :pblock */ and b = 'it''s :x'"));
    EXPECT_EQ(p.names, QStringList{QStringLiteral("pa")});
    EXPECT_EQ(
        p.sql,
        QStringLiteral("select ':pnot', \"A:B\" from t -- :pcomment\nwhere a = ? /* :pblock */ and b = 'it''s :x'"));
}

TEST(SqlStatement, ParametersMatchWithoutCaseAndSurviveNewLines)
{
    SqlStatement s;
    s.add(QStringLiteral("select 1 from rdb$database"));
    s.setParam(QStringLiteral("pDATA1"), QStringLiteral("01/01/2019"));
    s.add(QStringLiteral("where :pdata1 is not null"));
    EXPECT_TRUE(s.hasParam(QStringLiteral("PDATA1")));
    EXPECT_EQ(s.param(QStringLiteral("pdata1")).toString(), QStringLiteral("01/01/2019"));
    EXPECT_EQ(s.text(), QStringLiteral("select 1 from rdb$database\nwhere :pdata1 is not null"));
    s.clear();
    EXPECT_TRUE(s.lines().isEmpty());
    EXPECT_FALSE(s.hasParam(QStringLiteral("pdata1")));
}
