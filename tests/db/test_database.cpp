#include "ErrorText.h"
#include "TestDatabase.h"
#include "common/Error.h"
#include "db/Database.h"
#include "db/TransactionGuard.h"

#include <gtest/gtest.h>

using namespace tavro;
using tavro::test::errorOf;
using tavro::test::TestDatabase;

namespace {

int count(Database &db, const QString &sql, const QList<QPair<QString, QVariant>> &params)
{
    SqlStatement s{sql};
    for (const auto &[name, value] : params)
        s.setParam(name, value);
    SqlCursor c = db.select(s);
    return c.next() ? c.value(0).toInt() : -1;
}

// The committed TavroSituacao of stock positions 5001, 5002 and 5003, in that order.
QStringList situacoes5001To5003(const TestDatabase &fixture)
{
    QStringList situacoes;
    for (const QStringList &row : fixture.rows(QStringLiteral(
             "select TavroSituacao from conciliacao where lancamento in (5001, 5002, 5003) order by lancamento")))
        situacoes.append(row.value(0));
    return situacoes;
}

} // namespace

TEST(Database, OpeningAMissingFileGivesTheEngineMessage)
{
    Database db;
    const QString message = errorOf([&] { db.open(QStringLiteral("/nonexistent/folder/base.fdb")); });
    EXPECT_NE(message, QStringLiteral("<no error>"));
    EXPECT_FALSE(message.isEmpty());
    EXPECT_FALSE(db.isOpen());
}

TEST(Database, DayMonthYearTextsReachDateComparisonsAsDays)
{
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    const QString period = QStringLiteral("select count(*) from entradas where data >= :pDATA1 and data <= :pDATA2");
    // Read month first, 10/01/2019 would be the first of October and take in four documents.
    EXPECT_EQ(count(db, period,
                    {{QStringLiteral("pdata1"), QStringLiteral("01/01/2019")},
                     {QStringLiteral("pdata2"), QStringLiteral("10/01/2019")}}),
              2);
    EXPECT_EQ(count(db, QStringLiteral("select count(*) from conciliacao where data = :pdata"),
                    {{QStringLiteral("pdata"), QStringLiteral("31/01/2019")}}),
              15);
    EXPECT_EQ(errorOf([&] {
                  count(db, period,
                        {{QStringLiteral("pdata1"), QStringLiteral("01/01/2019")},
                         {QStringLiteral("pdata2"), QStringLiteral("31/02/2019")}});
              }),
              QStringLiteral("'31/02/2019' is not a valid date"));
}

TEST(Database, TextForAnIntegerKeyMustBeANumber)
{
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    const QString byCode = QStringLiteral("select count(*) from unidades where codigo = :pcod or numero = :pcod");
    EXPECT_EQ(count(db, byCode, {{QStringLiteral("pcod"), QStringLiteral("2345678")}}), 1);
    EXPECT_EQ(count(db, byCode, {{QStringLiteral("pcod"), QStringLiteral("3")}}), 1);
    EXPECT_EQ(errorOf([&] {
                  count(db, byCode, {{QStringLiteral("pcod"), QStringLiteral("12a")}});
              }),
              QStringLiteral("'12a' is not a valid integer value"));
    EXPECT_EQ(errorOf([&] { count(db, byCode, {}); }), QStringLiteral("Parameter \"pcod\" has no value"));
}

// The client takes a value's length as a short: a longer text is refused, not sent with a
// wrong length, and the transaction goes on.
TEST(Database, LockingTransactionRefusesATextLongerThanAParameterHolds)
{
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    db.startLockingTransaction(0);
    SqlStatement block{QStringLiteral("execute block (p varchar(32000) character set octets = :p) as begin end")};
    block.setParam(QStringLiteral("p"), QString(40000, QLatin1Char('x')));
    EXPECT_EQ(errorOf([&] { db.execute(block); }),
              QStringLiteral("A value of 40000 bytes is longer than a parameter holds"));
    block.setParam(QStringLiteral("p"), QString(32000, QLatin1Char('x')));
    EXPECT_NO_THROW(db.execute(block));
}

TEST(Database, MainTransactionEndsOnlyByCommitOrRollback)
{
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    SqlStatement update{QStringLiteral("update conciliacao set TavroSituacao = :ps where lancamento = 5001")};
    update.setParam(QStringLiteral("ps"), QStringLiteral("Aguardando"));
    EXPECT_EQ(db.execute(update), 1);
    EXPECT_TRUE(db.inTransaction());
    db.rollback();
    EXPECT_EQ(fixture.scalar(QStringLiteral("select TavroSituacao from conciliacao where lancamento = 5001")),
              QStringLiteral("<null>"));
    db.execute(update);
    db.commit();
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(fixture.scalar(QStringLiteral("select TavroSituacao from conciliacao where lancamento = 5001")),
              QStringLiteral("Aguardando"));
}

// A guarded operation that fails keeps what it committed and loses the rest, whether it
// ends by an exception or by a return.
TEST(Database, TransactionGuardRollsBackWhatItsScopeLeftUncommitted)
{
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    const auto mark = [&](int lancamento) {
        SqlStatement update{
            QStringLiteral("update conciliacao set TavroSituacao = 'Aguardando' where lancamento = :pl")};
        update.setParam(QStringLiteral("pl"), lancamento);
        db.execute(update);
    };
    try {
        const TransactionGuard transaction(db);
        mark(5001);
        db.commit();
        mark(5002);
        throw Error(QStringLiteral("fails"));
    } catch (const Error &) {
    }
    EXPECT_FALSE(db.inTransaction());
    {
        const TransactionGuard transaction(db);
        mark(5003);
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(situacoes5001To5003(fixture),
              (QStringList{QStringLiteral("Aguardando"), QStringLiteral("<null>"), QStringLiteral("<null>")}));
}

// A read on a fresh snapshot sees what another connection committed after the main
// transaction began, and leaves no transaction behind, whether it ends by a return or by the
// statement's error.
TEST(Database, ReadSnapshotSeesWhatIsCommittedAndLeavesNothingOpen)
{
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    const SqlStatement situacao{QStringLiteral("select TavroSituacao from conciliacao where lancamento = 5001")};
    db.select(situacao); // an old snapshot held by the main transaction
    fixture.exec(QStringLiteral("update conciliacao set TavroSituacao = 'Ok' where lancamento = 5001"));
    {
        const ReadSnapshot snapshot(db);
        SqlCursor cursor = db.select(situacao);
        ASSERT_TRUE(cursor.next());
        EXPECT_EQ(cursor.text(0), QStringLiteral("Ok"));
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_THROW(
        {
            const ReadSnapshot snapshot(db);
            db.select(SqlStatement{QStringLiteral("select nada from tabela_que_nao_existe")});
        },
        Error);
    EXPECT_FALSE(db.inTransaction());
}

TEST(Database, FieldsReadAsTheListsShowThem)
{
    TestDatabase fixture;
    Database db;
    db.open(fixture.path());
    SqlCursor c = db.select(SqlStatement{
        QStringLiteral("select data, quantidade, TavroSituacao, lancamento from conciliacao where lancamento = 5001")});
    ASSERT_TRUE(c.next());
    EXPECT_EQ(c.text(0), QStringLiteral("29/01/2019"));
    EXPECT_EQ(c.text(1), QStringLiteral("379"));
    EXPECT_EQ(c.text(2), QString());
    EXPECT_EQ(c.text(QStringLiteral("LANCAMENTO")), QStringLiteral("5001"));
    EXPECT_EQ(fieldText(QVariant(2.5)), QStringLiteral("2,5"));
}

class AccentedStatuses : public ::testing::TestWithParam<const char *>
{
};

TEST_P(AccentedStatuses, RoundTripInTheDatabaseCharacterSet)
{
    TestDatabase fixture{QString::fromUtf8(GetParam())};
    Database db;
    db.open(fixture.path());
    for (const QString &text :
         {QStringLiteral("Inconsistência"), QStringLiteral("Saída"), QStringLiteral("Dispensação")}) {
        SqlStatement write{QStringLiteral("update conciliacao set TavroSituacao = :ps where lancamento = 5002")};
        write.setParam(QStringLiteral("ps"), text);
        db.execute(write);
        db.commit();
        EXPECT_EQ(fixture.scalar(QStringLiteral("select TavroSituacao from conciliacao where lancamento = 5002")),
                  text);
        SqlStatement read{QStringLiteral("select count(*) from conciliacao where TavroSituacao = :ps")};
        read.setParam(QStringLiteral("ps"), text);
        SqlCursor c = db.select(read);
        ASSERT_TRUE(c.next());
        EXPECT_EQ(c.value(0).toInt(), 1) << text.toStdString();
        c.close();
        db.rollback();
    }
    EXPECT_EQ(fixture.scalar(QStringLiteral("select descricao from produtos where codigo = 107")),
              QStringLiteral("PARACETAMOL 200MG/ML SOLUÇÃO ORAL"));
}

INSTANTIATE_TEST_SUITE_P(CharacterSets, AccentedStatuses, ::testing::Values("demo-utf8.fdb", "demo-win1252.fdb"));

namespace {

// The two kinds of main transaction; every statement runs the same way in either.
struct TransactionKind
{
    const char *name;
    void (*start)(Database &db);
};

void PrintTo(const TransactionKind &kind, std::ostream *os)
{
    *os << kind.name;
}

} // namespace

class BothTransactions : public ::testing::TestWithParam<TransactionKind>
{
protected:
    void SetUp() override { db.open(fixture.path()); }

    TestDatabase fixture;
    Database db;
};

// A text prepared in a transaction that ended is prepared again in the next one, which the
// statement then changes, whether the first ended by commit or by rollback.
TEST_P(BothTransactions, AStatementRunsAgainAfterItsTransactionEnds)
{
    SqlStatement mark{QStringLiteral("update conciliacao set TavroSituacao = :ps where lancamento = :pl")};
    const auto run = [&](const QString &situacao, int lancamento) {
        GetParam().start(db);
        mark.setParam(QStringLiteral("ps"), situacao);
        mark.setParam(QStringLiteral("pl"), lancamento);
        return db.execute(mark);
    };
    EXPECT_EQ(run(QStringLiteral("Aguardando"), 5001), 1);
    db.commit();
    EXPECT_EQ(run(QStringLiteral("Enviando"), 5002), 1);
    db.rollback();
    EXPECT_EQ(run(QStringLiteral("Ok"), 5003), 1);
    db.commit();
    EXPECT_EQ(situacoes5001To5003(fixture),
              (QStringList{QStringLiteral("Aguardando"), QStringLiteral("<null>"), QStringLiteral("Ok")}));
}

// A select run again while the cursor of its first run is still open does not disturb it.
TEST_P(BothTransactions, TwoCursorsOfOneTextReadTheirOwnRows)
{
    GetParam().start(db);
    SqlStatement byLancamento{QStringLiteral("select lancamento from conciliacao where lancamento = :pl")};
    byLancamento.setParam(QStringLiteral("pl"), 5001);
    SqlCursor first = db.select(byLancamento);
    byLancamento.setParam(QStringLiteral("pl"), 5002);
    SqlCursor second = db.select(byLancamento);
    ASSERT_TRUE(first.next());
    ASSERT_TRUE(second.next());
    EXPECT_EQ(first.text(0), QStringLiteral("5001"));
    EXPECT_EQ(second.text(0), QStringLiteral("5002"));
    EXPECT_FALSE(first.next());
    EXPECT_FALSE(second.next());
}

TEST_P(BothTransactions, DatesAndTimestampsGoInAndComeBackAsTheyWere)
{
    GetParam().start(db);
    const QDateTime moment(QDate(2019, 1, 31), QTime(10, 20, 30));
    for (const auto &[day, stamp] : {std::pair<QVariant, QVariant>{moment.date(), moment},
                                     {QStringLiteral("31/01/2019"), QStringLiteral("31/01/2019 10:20:30")}}) {
        SqlStatement echo{QStringLiteral("select cast(:pd as date), cast(:pt as timestamp) from rdb$database")};
        echo.setParam(QStringLiteral("pd"), day);
        echo.setParam(QStringLiteral("pt"), stamp);
        SqlCursor c = db.select(echo);
        ASSERT_TRUE(c.next());
        EXPECT_EQ(c.value(0), QVariant(moment.date())) << day.toString().toStdString();
        EXPECT_EQ(c.value(1).toDateTime(), moment) << stamp.toString().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BothTransactions,
                         ::testing::Values(TransactionKind{"snapshot", [](Database &db) { db.startTransaction(); }},
                                           TransactionKind{"locking",
                                                           [](Database &db) { db.startLockingTransaction(0); }}),
                         [](const auto &info) { return std::string(info.param.name); });
