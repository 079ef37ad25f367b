#pragma once

#include <QString>

#include <optional>

// The value rules of the labelled input field, apart from any widget. Local formats
// are Brazilian whatever the machine's locale: day/month/year dates and the decimal
// comma, as the pharmacy's data and the service expect them.
namespace tavro::fieldrules {

// "dd/mm/yyyy" of a day/month/year text read as the core reads every date (readDate:
// a year of one or two digits falls within fifty years of today), or nothing when it is
// no real date.
std::optional<QString> normalisedDate(const QString &text);

// "dd/mm/yyyy hh:mm" of a date followed by a time; a blank time is midnight.
std::optional<QString> normalisedDateTime(const QString &text);

// A decimal number with the decimal comma, written with at least two and at most ten
// decimals and no grouping ("3" gives "3,00", "1,23456" stays). An empty text is 0.
std::optional<QString> normalisedDecimal(const QString &text);

// A whole number within 32 bits, optionally signed; an empty text is 0.
bool isInteger(const QString &text);

// A masked CPF ("123.456.789-09") or CNPJ ("12.345.678/0001-95") with the blanks of
// its digit positions before the check digits turned into zeros, when its check digits
// then match; nothing otherwise.
std::optional<QString> completedCpf(const QString &masked);
std::optional<QString> completedCnpj(const QString &masked);

// Upper-cases the first character and the first letter of every word of four or more
// characters that does not begin with "par"; nothing is lowered.
QString recapitalised(const QString &text);

} // namespace tavro::fieldrules
