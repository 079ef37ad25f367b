#include "db/DateText.h"

#include "common/Error.h"

namespace tavro {

namespace {

// The value of 1 to `maxDigits` ASCII digits, blanks around them ignored, or -1.
int digitsValue(QStringView text, int maxDigits)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > maxDigits)
        return -1;
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

// Read by hand rather than by a pattern: every marked record binds its day through here.
std::optional<QDate> readDate(QStringView text, std::optional<int> givenYear)
{
    const qsizetype first = text.indexOf(QLatin1Char('/'));
    const qsizetype second = first < 0 ? -1 : text.indexOf(QLatin1Char('/'), first + 1);
    if (second < 0)
        return std::nullopt;
    const int day = digitsValue(text.first(first), 2);
    const int month = digitsValue(text.sliced(first + 1, second - first - 1), 2);
    const QStringView yearText = text.sliced(second + 1).trimmed();
    int year = digitsValue(yearText, 4);
    if (day < 0 || month < 0 || year < 0 || yearText.size() == 3)
        return std::nullopt;
    if (yearText.size() <= 2) {
        const int thisYear = givenYear.value_or(QDate::currentDate().year());
        year += thisYear / 100 * 100;
        if (year > thisYear + 50)
            year -= 100;
        else if (year <= thisYear - 50)
            year += 100;
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QDate dateFromText(const QString &text)
{
    if (const std::optional<QDate> date = readDate(text))
        return *date;
    throw Error(QStringLiteral("'%1' is not a valid date").arg(text));
}

QString dateToText(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString protocolDateText(const QString &stored)
{
    // "yyyy-MM-dd hh:mm:ss": the year first, then the rest as the service writes it.
    if (stored.size() < 10 || stored.at(4) != QLatin1Char('-') || stored.at(7) != QLatin1Char('-'))
        return stored;
    return stored.mid(8, 2) + QLatin1Char('-') + stored.mid(5, 2) + QLatin1Char('-') + stored.left(4) + stored.mid(10);
}

} // namespace tavro
