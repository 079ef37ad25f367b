#include "db/DateText.h"

#include "common/Error.h"

#include <QRegularExpression>

namespace tavro {

QDate dateFromText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*(\d{1,2})/(\d{1,2})/(\d{1,4})\s*$)"));
    const auto match = pattern.match(text);
    if (match.hasMatch()) {
        int year = match.captured(3).toInt();
        if (match.captured(3).size() <= 2)
            year += 2000;
        const QDate date(year, match.captured(2).toInt(), match.captured(1).toInt());
        if (date.isValid())
            return date;
    }
    throw Error(QStringLiteral("'%1' is not a valid date").arg(text));
}

QString dateToText(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

} // namespace tavro
