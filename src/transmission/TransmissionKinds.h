#pragma once

#include "lists/MovementLists.h"

#include <memory>

namespace tavro {

class TransmissionKind;

// What a transmit button sends: the four lists, and the dispensations of patients
// without a card (from the dispensation list).
enum class TransmitKind { Estoque, Entradas, Saidas, Dispensacoes, SemCartao };

std::unique_ptr<TransmissionKind> newTransmissionKind(TransmitKind kind);

// The list a kind's transmitter reads its rows from.
MovementKind listOf(TransmitKind kind);

// Every kind, in the order an unattended run sends them.
inline constexpr TransmitKind AllTransmitKinds[] = {TransmitKind::Estoque, TransmitKind::Entradas, TransmitKind::Saidas,
                                                    TransmitKind::Dispensacoes, TransmitKind::SemCartao};
// The kind's name on the command line and in reports: estoque, entradas, saidas,
// dispensacoes, sem-cartao.
QString transmitKindName(TransmitKind kind);

} // namespace tavro
