#include "db/ParamConversion.h"

#include "common/Error.h"
#include "db/DateText.h"
#include "db/UFunc.h"

#include <QDateTime>

namespace tavro {

namespace {

QVariant timestampFrom(const QString &text)
{
    const QString t = text.trimmed();
    const QDate day = dateFromText(t.section(QLatin1Char(' '), 0, 0));
    const QString timePart = t.section(QLatin1Char(' '), 1).trimmed();
    QTime time(0, 0);
    if (!timePart.isEmpty()) {
        time = QTime::fromString(
            timePart, timePart.count(QLatin1Char(':')) == 2 ? QStringLiteral("H:m:s") : QStringLiteral("H:m"));
        if (!time.isValid())
            throw Error(QStringLiteral("'%1' is not a valid date and time").arg(text));
    }
    return QDateTime(day, time);
}

} // namespace

QVariant convertForParam(const QVariant &value, ParamType type)
{
    if (value.typeId() != QMetaType::QString)
        return value;
    const QString text = value.toString();
    const bool blank = text.trimmed().isEmpty();
    switch (type.sqlType) {
    case SQL_TYPE_DATE:
        return blank ? QVariant(QMetaType::fromType<QDate>()) : QVariant(dateFromText(text));
    case SQL_TIMESTAMP:
        return blank ? QVariant(QMetaType::fromType<QDateTime>()) : timestampFrom(text);
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        if (blank)
            return QVariant(QMetaType::fromType<qlonglong>());
        return type.scale == 0 ? QVariant(integerValue(text)) : QVariant(decimalValue(text));
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return blank ? QVariant(QMetaType::fromType<double>()) : QVariant(decimalValue(text));
    default:
        return value;
    }
}

} // namespace tavro
