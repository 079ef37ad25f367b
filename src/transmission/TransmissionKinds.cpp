#include "transmission/TransmissionKinds.h"

#include "transmission/DispensacaoTransmission.h"
#include "transmission/EntradaTransmission.h"
#include "transmission/EstoqueTransmission.h"
#include "transmission/SaidaTransmission.h"
#include "transmission/SemCartaoTransmission.h"

#include <array>

namespace tavro {

namespace {

template <class Kind>
std::unique_ptr<TransmissionKind> make()
{
    return std::make_unique<Kind>();
}

const std::array<TransmitKindEntry, 5> &transmitKinds()
{
    static const std::array<TransmitKindEntry, 5> kinds{{
        {TransmitKind::Estoque, MovementKind::Estoque, QStringLiteral("estoque"), QStringLiteral("Transmitir Estoque"),
         make<EstoqueTransmission>},
        {TransmitKind::Entradas, MovementKind::Entradas, QStringLiteral("entradas"),
         QStringLiteral("Transmitir Entradas"), make<EntradaTransmission>},
        {TransmitKind::Saidas, MovementKind::Saidas, QStringLiteral("saidas"), QStringLiteral("Transmitir Saidas"),
         make<SaidaTransmission>},
        {TransmitKind::Dispensacoes, MovementKind::Dispensacoes, QStringLiteral("dispensacoes"),
         QStringLiteral("Transmitir Dispensações"), make<DispensacaoTransmission>},
        {TransmitKind::SemCartao, MovementKind::Dispensacoes, QStringLiteral("sem-cartao"),
         QStringLiteral("Trans. Sem Cartão SUS"), make<SemCartaoTransmission>},
    }};
    return kinds;
}

} // namespace

const TransmitKindEntry &kindEntry(TransmitKind kind)
{
    return transmitKinds().at(std::size_t(kind));
}

std::optional<TransmitKind> transmitKindNamed(const QString &name)
{
    return kindWhere(transmitKinds(), &TransmitKindEntry::name, name);
}

} // namespace tavro
