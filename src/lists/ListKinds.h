#pragma once

#include "common/RecordKinds.h"

#include <QString>

#include <optional>

namespace tavro {

enum class MovementKind { Estoque, Entradas, Saidas, Dispensacoes };

// The cells of a movement list that every transmitter reads and writes.
struct TransmissionCells
{
    int protocolo;
    int data;
    int situacao;
    int gravar;
    int nome; // the product's name, which names a refused row beside its caption
};

// What every layer knows of one movement list: its name on the command line, its caption
// in the overview, the Tipo of its protocols, the table of its records, the cells a
// transmission reads and writes (its status cell among them), and whether a chosen
// protocol is sent again as its rectification (or its records go in a new batch).
struct ListKind
{
    MovementKind kind;
    QString name;
    QString caption;
    QString tipo;
    RecordTable table;
    TransmissionCells cells;
    bool rectifies;
};

// The four lists, in the order of the tabs.
inline constexpr MovementKind AllMovementKinds[] = {MovementKind::Estoque, MovementKind::Entradas, MovementKind::Saidas,
                                                    MovementKind::Dispensacoes};

const ListKind &listKind(MovementKind kind);
// The list a command-line name ("estoque", "entradas", "saidas", "dispensacoes") names.
std::optional<MovementKind> movementKindNamed(const QString &name);
// The list whose protocols carry this Tipo text.
std::optional<MovementKind> movementKindOfTipo(const QString &tipo);

// The kind of the first entry of `entries` whose `field` equals `value`.
template <class Entries, class Field>
auto kindWhere(const Entries &entries, Field field, const QString &value) -> std::optional<decltype(entries[0].kind)>
{
    for (const auto &entry : entries) {
        if (entry.*field == value)
            return entry.kind;
    }
    return std::nullopt;
}

} // namespace tavro
