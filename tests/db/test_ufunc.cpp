#include "common/Error.h"
#include "db/DateText.h"
#include "db/UFunc.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace tavro;

TEST(InsereCampo, BuildsTheTwoInsertLinesByTypeCode)
{
    SqlStatement q{QStringLiteral("insert into T("), QStringLiteral("values(")};
    bool sep = false;
    InsereCampo(q, sep, QStringLiteral("X"), QStringLiteral("A"), QStringLiteral("s"));
    InsereCampo(q, sep, QStringLiteral("Y"), QString(), QStringLiteral("i"));
    InsereCampo(q, sep, QStringLiteral("Z"), QStringLiteral("05/01/2019"), QStringLiteral("d"));
    EXPECT_EQ(q.lines().at(0), QStringLiteral("insert into T(X,Y,Z"));
    EXPECT_EQ(q.lines().at(1), QStringLiteral("values(:pX,:pY,:pZ"));
    EXPECT_EQ(q.param(QStringLiteral("px")).toString(), QStringLiteral("A"));
    EXPECT_TRUE(q.param(QStringLiteral("py")).isNull());
    EXPECT_EQ(q.param(QStringLiteral("pz")).toDate(), QDate(2019, 1, 5));
    EXPECT_TRUE(sep);
}

TEST(InsereCampo, IntegerAndDateValues)
{
    const struct
    {
        const char *value;
        const char *type;
        QVariant bound; // null: the column's null
    } cases[] = {
        {"12", "i", QStringLiteral("12")},
        {"-3", "i", QStringLiteral("0")},
        {"1,5", "i", QStringLiteral("0")},
        {" 7 ", "i", QStringLiteral("7")},
        {"", "i", QVariant()},
        {"  /  /    ", "d", QVariant()},
        {"", "d", QVariant()},
        {"24/09/2019", "d", QDate(2019, 9, 24)},
        {"31/01/2019", "d", QDate(2019, 1, 31)},
    };
    for (const auto &c : cases) {
        SqlStatement q{QStringLiteral("("), QStringLiteral("(")};
        bool sep = false;
        InsereCampo(q, sep, QStringLiteral("C"), QString::fromUtf8(c.value), QString::fromUtf8(c.type));
        EXPECT_EQ(q.lines().at(1), QStringLiteral("(:pC")) << c.value;
        EXPECT_EQ(q.param(QStringLiteral("pc")), c.bound) << c.value;
    }
}

TEST(InsereCampo, ImpossibleDateIsAConversionError)
{
    SqlStatement q{QStringLiteral("("), QStringLiteral("(")};
    bool sep = false;
    try {
        InsereCampo(q, sep, QStringLiteral("D"), QStringLiteral("31/02/2019"), QStringLiteral("d"));
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'31/02/2019' is not a valid date"));
    }
}

TEST(DateText, ReadsDayMonthYearStrictly)
{
    const struct
    {
        const char *text;
        QDate date; // invalid: the conversion error
    } cases[] = {
        {"31/01/2019", QDate(2019, 1, 31)},
        {" 1/2/19 ", QDate(2019, 2, 1)},
        {"29/02/2020", QDate(2020, 2, 29)},
        {"31/02/2019", QDate()},
        {"2019-01-31", QDate()},
        {"1/2/3/4", QDate()},
        {"aa/01/2019", QDate()},
        {"/01/2019", QDate()},
        {"01/01/20190", QDate()},
        {"001/01/2019", QDate()},
        {"01/01/", QDate()},
        {"", QDate()},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        if (c.date.isValid()) {
            EXPECT_EQ(dateFromText(text), c.date) << c.text;
            continue;
        }
        try {
            dateFromText(text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const Error &e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid date").arg(text));
        }
    }
}

// The window's date fields and the command line read a short year the same way.
TEST(DateText, ShortYearsFallWithinFiftyYearsOfTheCurrentYear)
{
    const struct
    {
        const char *text;
        int thisYear;
        QDate date; // invalid: no date
    } cases[] = {
        {"01/01/80", 2026, QDate(1980, 1, 1)},   {"01/01/19", 2026, QDate(2019, 1, 1)},
        {"01/01/76", 2026, QDate(2076, 1, 1)},   {"01/01/77", 2026, QDate(1977, 1, 1)},
        {"1/1/0", 2026, QDate(2000, 1, 1)},      {"01/01/80", 2031, QDate(2080, 1, 1)},
        {"01/01/1980", 2031, QDate(1980, 1, 1)}, {"01/01/201", 2026, QDate()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(readDate(QString::fromUtf8(c.text), c.thisYear).value_or(QDate()), c.date)
            << c.text << " in " << c.thisYear;
}

// Protocol times show in the service's form, the write-ahead's own time of a batch without
// answer included; anything else stands as stored.
TEST(DateText, ProtocolTimesShowInTheServicesForm)
{
    const char *const cases[][2] = {
        {"16-08-2018 17:48:40", "16-08-2018 17:48:40"},
        {"2018-08-16 17:48:40", "16-08-2018 17:48:40"},
        {"", ""},
        {"16/08/2018", "16/08/2018"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(protocolDateText(QString::fromUtf8(c[0])), QString::fromUtf8(c[1])) << c[0];
}

TEST(AlteraCampo, AddsOneLinePerColumn)
{
    SqlStatement q{QStringLiteral("update conciliacao set ")};
    bool sep = false;
    AlteraCampo(q, sep, QStringLiteral("TavroProtocolo"), QStringLiteral("P1"), QStringLiteral("s"));
    AlteraCampo(q, sep, QStringLiteral("TavroData"), QStringLiteral("D"), QStringLiteral("s"));
    AlteraCampo(q, sep, QStringLiteral("TavroSituacaoPrioridade"), QStringLiteral("10"), QStringLiteral("i"));
    AlteraCampo(q, sep, QStringLiteral("TavroCoRegistro"), QString(), QStringLiteral("i"));
    EXPECT_EQ(q.lines(),
              (QStringList{QStringLiteral("update conciliacao set "), QStringLiteral("TavroProtocolo=:pTavroProtocolo"),
                           QStringLiteral(",TavroData=:pTavroData"),
                           QStringLiteral(",TavroSituacaoPrioridade=:pTavroSituacaoPrioridade"),
                           QStringLiteral(",TavroCoRegistro=:pTavroCoRegistro")}));
    EXPECT_EQ(q.param(QStringLiteral("ptavroprotocolo")).toString(), QStringLiteral("P1"));
    EXPECT_EQ(q.param(QStringLiteral("ptavrosituacaoprioridade")).toString(), QStringLiteral("10"));
    EXPECT_TRUE(q.param(QStringLiteral("ptavrocoregistro")).isNull());
}

TEST(TextHelpers, PegaCampo)
{
    EXPECT_EQ(PegaCampo(QStringLiteral("1234-5"), 1, QLatin1Char('-')), QStringLiteral("1234"));
    EXPECT_EQ(PegaCampo(QStringLiteral("1234-5"), 2, QLatin1Char('-')), QStringLiteral("5"));
    EXPECT_EQ(PegaCampo(QStringLiteral("1234-5"), 3, QLatin1Char('-')), QStringLiteral("5"));
    EXPECT_EQ(PegaCampo(QStringLiteral("1234-5"), 0, QLatin1Char('-')), QStringLiteral("5"));
    EXPECT_EQ(PegaCampo(QStringLiteral("7"), 3, QLatin1Char('-')), QStringLiteral("7"));
    EXPECT_EQ(PegaCampo(QString(), 1, QLatin1Char('-')), QString());
    EXPECT_EQ(PegaCampo(QStringLiteral("a--b"), 2, QLatin1Char('-')), QString());
}

TEST(TextHelpers, DigitsAndNumbers)
{
    EXPECT_EQ(TrocaCaractere(QStringLiteral("a b c"), QLatin1Char(' '), QStringLiteral("%")), QStringLiteral("a%b%c"));
    EXPECT_EQ(TrocaCaractere(QStringLiteral("a b"), QLatin1Char(' '), QString()), QStringLiteral("ab"));
    EXPECT_EQ(SoNumeros(QStringLiteral("12.345.678/0001-95")), QStringLiteral("12345678000195"));
    EXPECT_EQ(NumeroComZeros(QStringLiteral("12.3-4"), 8), QStringLiteral("00001234"));
    EXPECT_EQ(NumeroComZeros(QStringLiteral("123456789"), 4), QStringLiteral("123456789"));
    EXPECT_EQ(IntComZeros(7, 3), QStringLiteral("007"));
    EXPECT_EQ(IntComZeros(2019, 2), QStringLiteral("2019"));
    EXPECT_FALSE(EhNumero(QString()));
    EXPECT_FALSE(EhNumero(QStringLiteral(" 1")));
    EXPECT_FALSE(EhNumero(QStringLiteral("-1")));
    EXPECT_FALSE(EhNumero(QStringLiteral("1,5")));
    EXPECT_TRUE(EhNumero(QStringLiteral("0012")));
    EXPECT_EQ(TextoParaReal(QStringLiteral(" 12 "), 0), 12.0);
    EXPECT_EQ(TextoParaReal(QStringLiteral("1.5"), -1), -1.0);
}

TEST(TextHelpers, StreamParaTextoReadsTheWholeMessageFromItsEnd)
{
    QByteArray bytes = QByteArrayLiteral("<a>\xc3\xa9</a>");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(bytes.size());
    const QString text = StreamParaTexto(buffer);
    EXPECT_EQ(text.size(), bytes.size()); // one character per byte, never decoded as UTF-8
    EXPECT_EQ(text.toLatin1(), bytes);
    EXPECT_TRUE(buffer.atEnd());
    buffer.seek(3);
    EXPECT_EQ(StreamParaTexto(buffer).toLatin1(), bytes.mid(3));
}

TEST(TextHelpers, CarimboDataHora)
{
    EXPECT_EQ(CarimboDataHora(QDateTime(QDate(2019, 9, 24), QTime(14, 5, 9, 870))),
              QStringLiteral("2019_09_24_14_05_09"));
}
