#include "KindCases.h"

#include <stdexcept>

namespace tavro::test {

const QList<KindCase> &kindCases()
{
    static const QList<KindCase> cases{
        {"Estoque", QStringLiteral("Estoque"), MovementKind::Estoque, MovementKind::Estoque,
         QStringLiteral("conciliacao")},
        {"Entrada", QStringLiteral("Entrada"), MovementKind::Entradas, MovementKind::Entradas,
         QStringLiteral("itensentradas")},
        {"Saida", QStringLiteral("Saída"), MovementKind::Saidas, MovementKind::Saidas, QStringLiteral("itenssaidas")},
        {"Dispensacao", QStringLiteral("Dispensação"), MovementKind::Dispensacoes, MovementKind::Dispensacoes,
         QStringLiteral("itenssaidas")},
        {"DispensacaoSemCartao", QStringLiteral("Dispensação sem cartão"), MovementKind::SemCartao,
         MovementKind::Dispensacoes, QStringLiteral("itenssaidas")},
    };
    return cases;
}

const KindCase &kindCase(std::string_view id)
{
    for (const KindCase &kind : kindCases()) {
        if (kind.id == id)
            return kind;
    }
    throw std::invalid_argument("no kind case " + std::string(id));
}

} // namespace tavro::test
