#pragma once

#include <QDate>
#include <QString>

namespace tavro {

// Dates travel through the system as day/month/year texts ("31/01/2019"). The
// empty date mask of a date field.
inline constexpr char16_t EmptyDateMask[] = u"  /  /    ";

// Reads a day/month/year text strictly: an impossible day (31/02/2019) or any
// other text raises the conversion error "'<text>' is not a valid date".
QDate dateFromText(const QString &text);

// day/month/year with two-digit day and month, as the lists show dates.
QString dateToText(const QDate &date);

} // namespace tavro
