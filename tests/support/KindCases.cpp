#include "KindCases.h"

#include "transmission/DispensacaoTransmission.h"
#include "transmission/EntradaTransmission.h"
#include "transmission/EstoqueTransmission.h"
#include "transmission/SaidaTransmission.h"
#include "transmission/SemCartaoTransmission.h"

namespace tavro::test {

const QList<KindCase> &kindCases()
{
    static const QList<KindCase> cases{
        {"Estoque", QStringLiteral("Estoque"), MovementKind::Estoque,
         [] { return std::make_unique<EstoqueTransmission>(); }, QStringLiteral("conciliacao")},
        {"Entrada", QStringLiteral("Entrada"), MovementKind::Entradas,
         [] { return std::make_unique<EntradaTransmission>(); }, QStringLiteral("itensentradas")},
        {"Saida", QStringLiteral("Saída"), MovementKind::Saidas, [] { return std::make_unique<SaidaTransmission>(); },
         QStringLiteral("itenssaidas")},
        {"Dispensacao", QStringLiteral("Dispensação"), MovementKind::Dispensacoes,
         [] { return std::make_unique<DispensacaoTransmission>(); }, QStringLiteral("itenssaidas")},
        {"DispensacaoSemCartao", QStringLiteral("Dispensação sem cartão"), MovementKind::Dispensacoes,
         [] { return std::make_unique<SemCartaoTransmission>(); }, QStringLiteral("itenssaidas")},
    };
    return cases;
}

} // namespace tavro::test
