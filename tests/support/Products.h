#pragma once

#include <QString>

namespace tavro::test {

// A product of a batch's record with the fields every kind of record starts with; valid until
// 31-12-2027 and registered on 15-01-2019.
template <class Produto>
Produto product(const QString &origem, const QString &nuProduto, const QString &nuLote, int quantity)
{
    Produto p;
    p.coRegistroOrigem = origem;
    p.nuProduto = nuProduto;
    p.nuLote = nuLote;
    p.dtValidade = QStringLiteral("31-12-2027");
    p.qtProduto = quantity;
    p.dtRegistro = QStringLiteral("15-01-2019");
    return p;
}

} // namespace tavro::test
