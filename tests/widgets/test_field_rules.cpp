#include "TestDatabase.h"
#include "widgets/FieldRules.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace tavro::fieldrules;

namespace {

// "" stands for a refused value.
QString shown(const std::optional<QString> &value)
{
    return value.value_or(QString());
}

struct Typed
{
    const char *typed;
    const char *expected;
};

// What `rule` makes of each typed text.
template <class Rule>
void expectEach(std::initializer_list<Typed> cases, Rule rule)
{
    for (const Typed &c : cases)
        EXPECT_EQ(rule(QString::fromUtf8(c.typed)), QString::fromUtf8(c.expected)) << c.typed;
}

} // namespace

TEST(FieldRules, Dates)
{
    expectEach(
        {
            {"01/02/2019", "01/02/2019"},
            {"1 /2 /2019", "01/02/2019"},
            {"29/02/2020", "29/02/2020"},
            {"31/02/2019", ""},
            {"29/02/2019", ""},
            {"00/01/2019", ""},
            {"12/13/2019", ""},
            {"01/02/20  ", "01/02/2020"},
            {"01/02/201 ", ""},
            {"01/02/    ", ""},
            {"  /  /    ", ""},
            {"2019-02-01", ""},
        },
        [](const QString &typed) { return shown(normalisedDate(typed)); });
}

TEST(FieldRules, TwoDigitYearsStayWithinFiftyYearsOfToday)
{
    const int year = QDate::currentDate().year();
    const auto twoDigits = [](int y) { return QStringLiteral("01/01/%1").arg(y % 100, 2, 10, QLatin1Char('0')); };
    EXPECT_EQ(normalisedDate(twoDigits(year + 10)), QStringLiteral("01/01/%1").arg(year + 10));
    EXPECT_EQ(normalisedDate(twoDigits(year - 40)), QStringLiteral("01/01/%1").arg(year - 40));
}

TEST(FieldRules, DateTimes)
{
    expectEach(
        {
            {"01/02/2019 13:45", "01/02/2019 13:45"},
            {"01/02/2019   :  ", "01/02/2019 00:00"},
            {"01/02/2019 7 :5 ", "01/02/2019 07:05"},
            {"01/02/2019 24:00", ""},
            {"31/02/2019 10:00", ""},
            {"01/02/2019 10:60", ""},
        },
        [](const QString &typed) { return shown(normalisedDateTime(typed)); });
}

TEST(FieldRules, DecimalsUseTheCommaWhateverTheMachineLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    expectEach(
        {
            {"3", "3,00"},
            {"1,23456", "1,23456"},
            {"1,5", "1,50"},
            {"", "0,00"},
            {"-2,5", "-2,50"},
            {" 7 ", "7,00"},
            {"1234567,1", "1234567,10"},
            {"0,123456789012", "0,123456789"},
            {"1.5", ""},
            {"1.234,5", ""},
            {"abc", ""},
            {"1,2,3", ""},
        },
        [](const QString &typed) { return shown(normalisedDecimal(typed)); });
    QLocale::setDefault(saved);
}

TEST(FieldRules, Integers)
{
    for (const char *good : {"0", "42", "-7", "", "2147483647"})
        EXPECT_TRUE(isInteger(QString::fromLatin1(good))) << good;
    for (const char *bad : {"4,2", "abc", "2147483648", "1e3"})
        EXPECT_FALSE(isInteger(QString::fromLatin1(bad))) << bad;
}

TEST(FieldRules, CpfAndCnpjCheckDigitsWithBlanksCompletedByZeros)
{
    const struct
    {
        bool cnpj;
        const char *typed, *expected;
    } cases[] = {
        {false, "123.456.789-09", "123.456.789-09"},
        {false, "  1.234.567-97", "001.234.567-97"},
        {false, "123.456.789-00", ""},
        {false, "123.456.789- 9", ""},
        {false, "  1.234.567-79", ""},
        {true, "11.222.333/0001-81", "11.222.333/0001-81"},
        {true, "  .123.456/0001-49", "00.123.456/0001-49"},
        {true, "11.222.333/0001-18", ""},
        {true, "11.222.333/0001-8 ", ""},
    };
    for (const auto &c : cases) {
        const QString typed = QString::fromLatin1(c.typed);
        EXPECT_EQ(shown(c.cnpj ? completedCnpj(typed) : completedCpf(typed)), QString::fromLatin1(c.expected))
            << c.typed;
    }
}

TEST(FieldRules, Recapitalisation)
{
    expectEach(
        {
            {"maria das dores para", "Maria das Dores para"},
            {"casa parque nova", "Casa parque Nova"},
            {"joão da silva", "João da Silva"},
            {"de sa", "De sa"},
            {"ANA MARIA", "ANA MARIA"}, // nothing is lowered
            {"rua  dois", "Rua  Dois"},
            {"a casa", "A Casa"},
            {"ab cde", "Ab cde"}, // three characters are not a word for this rule
            {"", ""},
        },
        recapitalised);
}
