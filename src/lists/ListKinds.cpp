#include "lists/ListKinds.h"

#include "lists/MovementLists.h"

#include <array>

namespace tavro {

namespace {

const std::array<ListKind, 4> &listKinds()
{
    static const std::array<ListKind, 4> kinds{{
        {MovementKind::Estoque,
         QStringLiteral("estoque"),
         QStringLiteral("Estoque"),
         Tipo::Estoque,
         RecordTable::Conciliacao,
         {EstoqueCell::Protocolo, EstoqueCell::DataProtocolo, EstoqueCell::Situacao, EstoqueCell::Gravar,
          EstoqueCell::Nome},
         true},
        {MovementKind::Entradas,
         QStringLiteral("entradas"),
         QStringLiteral("Entradas"),
         Tipo::Entrada,
         RecordTable::ItensEntradas,
         {EntradaCell::Protocolo, EntradaCell::DataProtocolo, EntradaCell::Situacao, EntradaCell::Gravar,
          EntradaCell::Nome},
         true},
        {MovementKind::Saidas,
         QStringLiteral("saidas"),
         QStringLiteral("Saídas"),
         Tipo::Saida,
         RecordTable::ItensSaidas,
         {SaidaCell::Protocolo, SaidaCell::DataProtocolo, SaidaCell::Situacao, SaidaCell::Gravar, SaidaCell::Nome},
         false},
        {MovementKind::Dispensacoes,
         QStringLiteral("dispensacoes"),
         QStringLiteral("Dispensações"),
         Tipo::Dispensacao,
         RecordTable::ItensSaidas,
         {DispensacaoCell::Protocolo, DispensacaoCell::DataProtocolo, DispensacaoCell::Situacao,
          DispensacaoCell::Gravar, DispensacaoCell::Nome},
         false},
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
    return kindWhere(listKinds(), &ListKind::name, name);
}

std::optional<MovementKind> movementKindOfTipo(const QString &tipo)
{
    return kindWhere(listKinds(), &ListKind::tipo, tipo);
}

} // namespace tavro
