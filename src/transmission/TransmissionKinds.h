#pragma once

#include "lists/ListKinds.h"

#include <QString>

#include <memory>
#include <optional>

namespace tavro {

class TransmissionKind;

// What a transmit button sends: the four lists, and the dispensations of patients
// without a card (from the dispensation list).
enum class TransmitKind { Estoque, Entradas, Saidas, Dispensacoes, SemCartao };

// One kind as every caller sees it: the list its rows come from (whose Tipo, table and
// status cell it shares), its name on the command line and in reports, the caption of its
// button, and the transmitter that checks, builds and sends its batches.
struct TransmitKindEntry
{
    TransmitKind kind;
    MovementKind list;
    QString name; // estoque, entradas, saidas, dispensacoes, sem-cartao
    QString caption;
    std::unique_ptr<TransmissionKind> (*make)();

    const ListKind &listKind() const { return tavro::listKind(list); }
};

// Every kind, in the order an unattended run sends them.
inline constexpr TransmitKind AllTransmitKinds[] = {TransmitKind::Estoque, TransmitKind::Entradas, TransmitKind::Saidas,
                                                    TransmitKind::Dispensacoes, TransmitKind::SemCartao};

const TransmitKindEntry &kindEntry(TransmitKind kind);
std::optional<TransmitKind> transmitKindNamed(const QString &name);

} // namespace tavro
