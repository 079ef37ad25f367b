#include "db/DateText.h"

#include "common/Error.h"

namespace tavro {

namespace {

// The value of 1 to `maxDigits` ASCII digits, or -1.
int digitsValue(QStringView text, int maxDigits)
{
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
QDate dateFromText(const QString &text)
{
    const QStringView t = QStringView(text).trimmed();
    const qsizetype first = t.indexOf(QLatin1Char('/'));
    const qsizetype second = first < 0 ? -1 : t.indexOf(QLatin1Char('/'), first + 1);
    if (second > 0) {
        const int day = digitsValue(t.first(first), 2);
        const int month = digitsValue(t.sliced(first + 1, second - first - 1), 2);
        const QStringView yearText = t.sliced(second + 1);
        int year = digitsValue(yearText, 4);
        if (year >= 0 && yearText.size() <= 2)
            year += 2000;
        const QDate date(year, month, day);
        if (day >= 0 && month >= 0 && year >= 0 && date.isValid())
            return date;
    }
    throw Error(QStringLiteral("'%1' is not a valid date").arg(text));
}

QString dateToText(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

} // namespace tavro
