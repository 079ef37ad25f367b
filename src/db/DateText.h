#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include <optional>

namespace tavro {

// Dates travel through the system as day/month/year texts ("31/01/2019"). The
// empty date mask of a date field.
inline constexpr char16_t EmptyDateMask[] = u"  /  /    ";

// The one reading of a day/month/year text, for the window's date fields and for every
// date the core is given (the command line's options among them). Blanks around each
// part are ignored; day and month have one or two digits, the year four, or one or two
// that fall within fifty years of `thisYear` ("80" is 1980 and "30" is 2030 in 2026).
// Nothing when the text is no real date. Without `thisYear`, the clock is read only for a short
// year: a four-digit year, as every list's date, costs no look-up of the local time zone.
std::optional<QDate> readDate(QStringView text, std::optional<int> thisYear = std::nullopt);

// readDate, with the conversion error "'<text>' is not a valid date" for a text that is
// no real date (31/02/2019).
QDate dateFromText(const QString &text);

// day/month/year with two-digit day and month, as the lists show dates.
QString dateToText(const QDate &date);

// A protocol's time as the lists show it: the service's own form ("16-08-2018 17:48:40") as it
// stands, and the time a batch without answer was written ahead, kept by the database's clock
// as "2018-08-16 17:48:40", in that same form.
QString protocolDateText(const QString &stored);

} // namespace tavro
