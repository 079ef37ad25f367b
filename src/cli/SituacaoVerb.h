#pragma once

#include "lists/OverviewFigures.h"

#include <QDate>
#include <QString>

#include <optional>

class QTextStream;

namespace tavro {

class Database;
struct OverviewSearch;

// The months of `situacao`: the year of --ano, or the months --de to --ate (MM/YYYY); none
// without them. Wrong usage throws Error.
std::optional<OverviewPeriod> situacaoPeriod(const QString &ano, const QString &de, const QString &ate);

// situacao: the overview's figures, as tab-separated text (a caption line, then one line
// per kind, month and status, zeros included, and a last line of the unit's held records when
// there are some) or, with `json`, as one JSON object. Without a period (`search.period` has no
// months), the last twelve months up to the unit's latest record, as the window opens.
int runSituacaoVerb(Database &db, OverviewSearch search, const QString &nomeUnidade, bool json, QTextStream &out);

} // namespace tavro
