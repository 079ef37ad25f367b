#pragma once

#include "reports/DispensationListing.h"

namespace tavro::test {

// The dispensation listing of unit 1 for January 2019 on the demo database.
inline DispensationReportInput january()
{
    DispensationReportInput input;
    input.search.kind = MovementKind::Dispensacoes;
    input.search.unidade = QStringLiteral("1");
    input.search.period.dataInicial = QStringLiteral("01/01/2019");
    input.search.period.dataFinal = QStringLiteral("31/01/2019");
    input.cnes = QStringLiteral("2345678");
    input.nomeUnidade = QStringLiteral("FARMACIA MUNICIPAL CENTRAL");
    return input;
}

} // namespace tavro::test
