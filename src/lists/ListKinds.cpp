#include "lists/ListKinds.h"

#include "lists/MovementLists.h"
#include "transmission/DispensacaoTransmission.h"
#include "transmission/EntradaTransmission.h"
#include "transmission/EstoqueTransmission.h"
#include "transmission/SaidaTransmission.h"
#include "transmission/SemCartaoTransmission.h"

#include <array>

namespace tavro {

namespace {

template <class Transmitter>
std::unique_ptr<TransmissionKind> make()
{
    return std::make_unique<Transmitter>();
}

// The cells of the three period lists, whose own sub-cells name their status cells.
template <int Protocolo, int DataProtocolo, int Situacao, int Gravar>
constexpr TransmissionCells itemCells()
{
    return {.protocolo = Protocolo,
            .data = DataProtocolo,
            .situacao = Situacao,
            .gravar = Gravar,
            .nome = ItemCell::Nome,
            .produto = ItemCell::Produto,
            .lote = ItemCell::Lote,
            .quantidade = ItemCell::Quantidade,
            .dia = ItemCell::Data};
}

QStringList describeItem(const QString &table)
{
    return {QStringLiteral("select p.descricao, null, null from %1 r").arg(table),
            QStringLiteral("left join produtos p on p.codigo = r.codproduto"),
            QStringLiteral("where r.lancamento = :plancamento and r.item = :pitem")};
}

QStringList describeStock()
{
    return {QStringLiteral("select p.descricao, null, null from conciliacao r"),
            QStringLiteral("left join produtos p on p.codigo = r.codproduto"),
            QStringLiteral("where r.lancamento = :plancamento")};
}

// An issue or dispensation line names its patient or its destination unit.
QStringList describeIssue()
{
    return {QStringLiteral("select p.descricao, pe.nome, u.nome from itenssaidas r"),
            QStringLiteral("join saidas s on s.lancamento = r.lancamento"),
            QStringLiteral("left join produtos p on p.codigo = r.codproduto"),
            QStringLiteral("left join pessoas pe on pe.codigo = s.codpessoa"),
            QStringLiteral("left join unidades u on u.codigo = s.codunidadedestino"),
            QStringLiteral("where r.lancamento = :plancamento and r.item = :pitem")};
}

const std::array<KindFacts, 5> &kindTable()
{
    static const std::array<KindFacts, 5> kinds = [] {
        const KindFacts dispensacoes{.kind = MovementKind::Dispensacoes,
                                     .list = MovementKind::Dispensacoes,
                                     .name = QStringLiteral("dispensacoes"),
                                     .caption = QStringLiteral("Dispensações"),
                                     .button = QStringLiteral("Transmitir Dispensações"),
                                     .searching = QStringLiteral("DISPENSAÇÕES"),
                                     .tipo = Tipo::Dispensacao,
                                     .table = QStringLiteral("itensSaidas"),
                                     .daily = false,
                                     .keyFields = 2,
                                     .cells = itemCells<DispensacaoCell::Protocolo, DispensacaoCell::DataProtocolo,
                                                        DispensacaoCell::Situacao, DispensacaoCell::Gravar>(),
                                     .describe = describeIssue(),
                                     .rectifies = false,
                                     .rewrittenAtEqualPriority = true,
                                     .shape = dispensacoesShape,
                                     .make = make<DispensacaoTransmission>};
        // The dispensations without a card: the dispensation list's facts, its own name, button
        // and transmitter.
        KindFacts semCartao = dispensacoes;
        semCartao.kind = MovementKind::SemCartao;
        semCartao.name = QStringLiteral("sem-cartao");
        semCartao.button = QStringLiteral("Trans. Sem Cartão SUS");
        semCartao.make = make<SemCartaoTransmission>;
        return std::array<KindFacts, 5>{{
            {.kind = MovementKind::Estoque,
             .list = MovementKind::Estoque,
             .name = QStringLiteral("estoque"),
             .caption = QStringLiteral("Estoque"),
             .button = QStringLiteral("Transmitir Estoque"),
             .searching = QStringLiteral("ESTOQUE"),
             .tipo = Tipo::Estoque,
             .table = QStringLiteral("conciliacao"),
             .daily = true,
             .keyFields = 1,
             .cells = {.protocolo = EstoqueCell::Protocolo,
                       .data = EstoqueCell::DataProtocolo,
                       .situacao = EstoqueCell::Situacao,
                       .gravar = EstoqueCell::Gravar,
                       .nome = EstoqueCell::Nome,
                       .produto = EstoqueCell::Produto,
                       .lote = EstoqueCell::Lote,
                       .quantidade = EstoqueCell::Quantidade,
                       .dia = EstoqueCell::Data},
             .describe = describeStock(),
             .rectifies = true,
             .rewrittenAtEqualPriority = false,
             .shape = stockShape,
             .make = make<EstoqueTransmission>},
            {.kind = MovementKind::Entradas,
             .list = MovementKind::Entradas,
             .name = QStringLiteral("entradas"),
             .caption = QStringLiteral("Entradas"),
             .button = QStringLiteral("Transmitir Entradas"),
             .searching = QStringLiteral("ENTRADAS"),
             .tipo = Tipo::Entrada,
             .table = QStringLiteral("itensEntradas"),
             .daily = false,
             .keyFields = 2,
             .cells = itemCells<EntradaCell::Protocolo, EntradaCell::DataProtocolo, EntradaCell::Situacao,
                                EntradaCell::Gravar>(),
             .describe = describeItem(QStringLiteral("itensentradas")),
             .rectifies = true,
             .rewrittenAtEqualPriority = false,
             .shape = entradasShape,
             .make = make<EntradaTransmission>},
            {.kind = MovementKind::Saidas,
             .list = MovementKind::Saidas,
             .name = QStringLiteral("saidas"),
             .caption = QStringLiteral("Saídas"),
             .button = QStringLiteral("Transmitir Saidas"),
             .searching = QStringLiteral("SAIDAS"),
             .tipo = Tipo::Saida,
             .table = QStringLiteral("itensSaidas"),
             .daily = false,
             .keyFields = 2,
             .cells
             = itemCells<SaidaCell::Protocolo, SaidaCell::DataProtocolo, SaidaCell::Situacao, SaidaCell::Gravar>(),
             .describe = describeIssue(),
             .rectifies = false,
             .rewrittenAtEqualPriority = true,
             .shape = saidasShape,
             .make = make<SaidaTransmission>},
            dispensacoes,
            semCartao,
        }};
    }();
    return kinds;
}

// The first kind of `kinds` whose `field` equals `value`.
template <class Kinds>
std::optional<MovementKind> kindWhere(const Kinds &kinds, QString KindFacts::*field, const QString &value)
{
    for (const MovementKind kind : kinds) {
        if (kindFacts(kind).*field == value)
            return kind;
    }
    return std::nullopt;
}

} // namespace

const KindFacts &kindFacts(MovementKind kind)
{
    return kindTable().at(std::size_t(kind));
}

std::optional<MovementKind> movementKindNamed(const QString &name)
{
    return kindWhere(AllLists, &KindFacts::name, name);
}

std::optional<MovementKind> kindNamed(const QString &name)
{
    return kindWhere(AllKinds, &KindFacts::name, name);
}

std::optional<MovementKind> movementKindOfTipo(const QString &tipo)
{
    return kindWhere(AllLists, &KindFacts::tipo, tipo);
}

MovementKind kindOfTipo(const QString &tipo)
{
    return movementKindOfTipo(tipo).value_or(MovementKind::Estoque);
}

const QString &unitKey(MovementKind kind, const QString &cnes, const QString &codigo)
{
    return kindFacts(kind).daily ? cnes : codigo;
}

} // namespace tavro
