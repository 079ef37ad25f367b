#pragma once

#include "db/SqlStatement.h"

#include <QDateTime>
#include <QIODevice>
#include <QString>

// Free helpers that build INSERT and UPDATE statements column by column, take
// texts apart, and format numbers and time stamps. They never execute anything.
namespace tavro {

// Adds one column to an INSERT under construction: the statement holds exactly two
// lines, column names and values. Its value is a parameter named "p" + column, by type:
// "i" the number (or null), "s" the text, "d" the day of a day/month/year text (or null for
// an empty text or the empty date mask). The separator flag puts a comma before every
// column but the first.
void InsereCampo(SqlStatement &query, bool &separator, const QString &column, const QString &value,
                 const QString &type);

// Adds one "column=value" line to an UPDATE under construction, its value a parameter named
// "p" + column: type "i" the number (or null when empty), "s" the text.
void AlteraCampo(SqlStatement &query, bool &separator, const QString &column, const QString &value,
                 const QString &type);

// Field `field` (from 1) of `text` split at `separator`; a number beyond the last
// field, or below 1, gives the last field.
QString PegaCampo(const QString &text, int field, QChar separator);

QString TrocaCaractere(const QString &text, QChar from, const QString &to);
QString SoNumeros(QStringView text);
// The digits of `text`, left-padded with zeros to `width`; never cut.
QString NumeroComZeros(const QString &text, int width);
QString IntComZeros(qint64 number, int width);
// True for a non-empty text of the digits 0 to 9 alone.
bool EhNumero(const QString &text);
// The number a digits-only text (blanks around it allowed) denotes, otherwise `fallback`.
double TextoParaReal(const QString &text, double fallback);
// A whole number, blanks around it allowed; otherwise the conversion error
// "'<text>' is not a valid integer value".
qint64 integerValue(const QString &text);
// A decimal in the local form (comma or point), blanks around it allowed; otherwise
// "'<text>' is not a valid floating point value".
double decimalValue(const QString &text);

// The bytes from the stream's position to its end, one character per byte of the
// single-byte code page (ISO-8859-1); a stream already at its end is read whole.
// The stream is left at its end.
QString StreamParaTexto(QIODevice &stream);

// "yyyy_MM_dd_HH_mm_ss" of a moment; names the service log files.
QString CarimboDataHora(const QDateTime &moment);

} // namespace tavro
