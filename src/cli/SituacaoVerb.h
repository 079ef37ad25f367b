#pragma once

#include "lists/OverviewFigures.h"

#include <QDate>
#include <QString>

class QTextStream;

namespace tavro {

class Database;
struct OverviewSearch;

// The months of `situacao`: the year of --ano, the months --de to --ate (MM/YYYY), or
// by default the last twelve months up to the month of `today`. Wrong usage throws Error.
OverviewPeriod situacaoPeriod(const QString &ano, const QString &de, const QString &ate, QDate today);

// situacao: the overview's figures, as tab-separated text (a caption line, then one line
// per kind, month and status, zeros included) or, with `json`, as one JSON object.
int runSituacaoVerb(Database &db, const OverviewSearch &search, const QString &nomeUnidade, bool json,
                    QTextStream &out);

} // namespace tavro
