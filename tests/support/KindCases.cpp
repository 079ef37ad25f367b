#include "KindCases.h"

#include "transmission/DispensacaoTransmission.h"
#include "transmission/EntradaTransmission.h"
#include "transmission/EstoqueTransmission.h"
#include "transmission/SaidaTransmission.h"
#include "transmission/SemCartaoTransmission.h"

#include <stdexcept>

namespace tavro::test {

const QList<KindCase> &kindCases()
{
    static const QList<KindCase> cases{
        {"Estoque", QStringLiteral("Estoque"), MovementKind::Estoque, TransmitKind::Estoque,
         [] { return std::make_unique<EstoqueTransmission>(); }, QStringLiteral("conciliacao")},
        {"Entrada", QStringLiteral("Entrada"), MovementKind::Entradas, TransmitKind::Entradas,
         [] { return std::make_unique<EntradaTransmission>(); }, QStringLiteral("itensentradas")},
        {"Saida", QStringLiteral("Saída"), MovementKind::Saidas, TransmitKind::Saidas,
         [] { return std::make_unique<SaidaTransmission>(); }, QStringLiteral("itenssaidas")},
        {"Dispensacao", QStringLiteral("Dispensação"), MovementKind::Dispensacoes, TransmitKind::Dispensacoes,
         [] { return std::make_unique<DispensacaoTransmission>(); }, QStringLiteral("itenssaidas")},
        {"DispensacaoSemCartao", QStringLiteral("Dispensação sem cartão"), MovementKind::Dispensacoes,
         TransmitKind::SemCartao, [] { return std::make_unique<SemCartaoTransmission>(); },
         QStringLiteral("itenssaidas")},
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
