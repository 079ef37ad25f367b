#pragma once

#include <QString>

namespace tavro {

// A period of the movement lists: its first and last day as day/month/year texts.
struct Period
{
    QString dataInicial;
    QString dataFinal;

    // "first a last", as the listing, the run log and its summary show it.
    QString text() const { return dataInicial + QStringLiteral(" a ") + dataFinal; }
};

} // namespace tavro
