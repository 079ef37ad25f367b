#pragma once

#include <QVariant>

#include <ibase.h>

namespace tavro {

// The declared type of an input parameter of a prepared statement, as the server
// describes it (a Firebird SQL type without its null flag, and its scale).
struct ParamType
{
    short sqlType = SQL_TEXT;
    short scale = 0;
};

// A text parameter becomes the value its column expects: a day/month/year text a date,
// a numeric text a number, a blank text null; other values pass unchanged. Throws
// Error for a text that is not a valid value of its type.
QVariant convertForParam(const QVariant &value, ParamType type);

} // namespace tavro
