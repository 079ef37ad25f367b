#pragma once

#include "common/RecordKinds.h"

#include <QString>

#include <optional>

namespace tavro {

enum class MovementKind { Estoque, Entradas, Saidas, Dispensacoes };

// What every layer knows of one movement list: its name on the command line, its caption
// in the overview, the Tipo of its protocols, the table of its records and its status cell.
struct ListKind
{
    MovementKind kind;
    QString name;
    QString caption;
    QString tipo;
    RecordTable table;
    int situacaoCell;
};

// The four lists, in the order of the tabs.
inline constexpr MovementKind AllMovementKinds[] = {MovementKind::Estoque, MovementKind::Entradas, MovementKind::Saidas,
                                                    MovementKind::Dispensacoes};

const ListKind &listKind(MovementKind kind);
// The list a command-line name ("estoque", "entradas", "saidas", "dispensacoes") names.
std::optional<MovementKind> movementKindNamed(const QString &name);
// The list whose protocols carry this Tipo text.
std::optional<MovementKind> movementKindOfTipo(const QString &tipo);

} // namespace tavro
