#include "lists/ListKinds.h"

#include "lists/MovementLists.h"

#include <array>

namespace tavro {

namespace {

const std::array<ListKind, 4> &listKinds()
{
    static const std::array<ListKind, 4> kinds{{
        {MovementKind::Estoque, QStringLiteral("estoque"), QStringLiteral("Estoque"), Tipo::Estoque,
         RecordTable::Conciliacao, EstoqueCell::Situacao},
        {MovementKind::Entradas, QStringLiteral("entradas"), QStringLiteral("Entradas"), Tipo::Entrada,
         RecordTable::ItensEntradas, EntradaCell::Situacao},
        {MovementKind::Saidas, QStringLiteral("saidas"), QStringLiteral("Saídas"), Tipo::Saida,
         RecordTable::ItensSaidas, SaidaCell::Situacao},
        {MovementKind::Dispensacoes, QStringLiteral("dispensacoes"), QStringLiteral("Dispensações"), Tipo::Dispensacao,
         RecordTable::ItensSaidas, DispensacaoCell::Situacao},
    }};
    return kinds;
}

} // namespace

const ListKind &listKind(MovementKind kind)
{
    return listKinds().at(std::size_t(kind));
}

std::optional<MovementKind> movementKindNamed(const QString &name)
{
    for (const ListKind &entry : listKinds()) {
        if (entry.name == name)
            return entry.kind;
    }
    return std::nullopt;
}

std::optional<MovementKind> movementKindOfTipo(const QString &tipo)
{
    for (const ListKind &entry : listKinds()) {
        if (entry.tipo == tipo)
            return entry.kind;
    }
    return std::nullopt;
}

} // namespace tavro
