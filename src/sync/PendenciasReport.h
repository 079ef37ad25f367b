#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace tavro {

struct Pendencias;

// The list as a spreadsheet in Portuguese opens it: UTF-8 with a byte-order mark, fields
// separated by semicolons, one line per row and fix (group, warning or not, subject, list,
// unit, key, date, the check's line).
QByteArray pendenciasCsv(const Pendencias &pendencias);

// The list for monitoring: the totals, then each group with its count, its items and rows.
QJsonObject pendenciasJson(const Pendencias &pendencias);

// "12 registros pendentes em 3 grupos, 2 avisos", or "Nenhuma pendência de cadastro".
QString pendenciasText(const Pendencias &pendencias);

// Writes the CSV (it names patients: private, as the logs are). False with the reason in
// `error` when it could not.
bool writePendenciasCsv(const QString &path, const Pendencias &pendencias, QString &error);

} // namespace tavro
