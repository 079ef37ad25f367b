#include "transmission/TransmissionKinds.h"

#include "transmission/DispensacaoSemSusTransmission.h"
#include "transmission/DispensacaoTransmission.h"
#include "transmission/EntradaTransmission.h"
#include "transmission/EstoqueTransmission.h"
#include "transmission/SaidaTransmission.h"

namespace tavro {

std::unique_ptr<TransmissionKind> newTransmissionKind(TransmitKind kind)
{
    switch (kind) {
    case TransmitKind::Estoque:
        return std::make_unique<EstoqueTransmission>();
    case TransmitKind::Entradas:
        return std::make_unique<EntradaTransmission>();
    case TransmitKind::Saidas:
        return std::make_unique<SaidaTransmission>();
    case TransmitKind::Dispensacoes:
        return std::make_unique<DispensacaoTransmission>();
    case TransmitKind::SemCartao:
        return std::make_unique<DispensacaoSemSusTransmission>();
    }
    Q_UNREACHABLE();
}

MovementKind listOf(TransmitKind kind)
{
    switch (kind) {
    case TransmitKind::Estoque:
        return MovementKind::Estoque;
    case TransmitKind::Entradas:
        return MovementKind::Entradas;
    case TransmitKind::Saidas:
        return MovementKind::Saidas;
    case TransmitKind::Dispensacoes:
    case TransmitKind::SemCartao:
        return MovementKind::Dispensacoes;
    }
    Q_UNREACHABLE();
}

QString transmitKindName(TransmitKind kind)
{
    switch (kind) {
    case TransmitKind::Estoque:
        return QStringLiteral("estoque");
    case TransmitKind::Entradas:
        return QStringLiteral("entradas");
    case TransmitKind::Saidas:
        return QStringLiteral("saidas");
    case TransmitKind::Dispensacoes:
        return QStringLiteral("dispensacoes");
    case TransmitKind::SemCartao:
        return QStringLiteral("sem-cartao");
    }
    Q_UNREACHABLE();
}

} // namespace tavro
