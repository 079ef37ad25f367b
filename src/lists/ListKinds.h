#pragma once

#include "common/RecordKinds.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace tavro {

struct ListShape;
class TransmissionKind;

// What the program sends: the four lists, in the order of their tabs, then the dispensations
// of patients without a card, which come from the dispensation list.
enum class MovementKind { Estoque, Entradas, Saidas, Dispensacoes, SemCartao };

// The cells of a movement list that the transmitters, the pending scan and the batch claim
// read and write.
struct TransmissionCells
{
    int protocolo;
    int data;
    int situacao;
    int gravar;
    int nome; // the product's name, which names a refused row beside its caption
    int produto;
    int lote;
    int quantidade;
    int dia; // the movement's own date
};

// Every fact the program asks of a kind.
struct KindFacts
{
    MovementKind kind;
    MovementKind list; // the kind whose list its rows come from: its own, but for SemCartao
    QString name;      // on the command line: estoque, entradas, saidas, dispensacoes, sem-cartao
    QString caption;   // in the overview and reports
    QString button;    // the caption of its transmit button
    QString searching; // in the wait line of its search, "Aguarde, pesquisando [...]..."
    QString tipo;      // of its protocols
    QString table;     // of its records, as statements write it
    // Stock is listed one day at a time under the unit's CNES; the other lists a period at a
    // time under the unit's code.
    bool daily;
    // A stock position is named by its serial number (one key may name several positions); an
    // item by its document and line.
    int keyFields;
    TransmissionCells cells;
    // The statement that names a record's product, person and destination unit, given the
    // parameters of its key.
    QStringList describe;
    // Does a chosen protocol make a rectification batch (rather than a new batch of its rows)?
    bool rectifies;
    // The follow-up rewrites a reported issue or dispensation line at an equal priority too.
    bool rewrittenAtEqualPriority;
    const ListShape &(*shape)();                 // its list's statement, columns and filler
    std::unique_ptr<TransmissionKind> (*make)(); // its transmitter
};

// The four lists, in the order of the tabs.
inline constexpr MovementKind AllLists[] = {MovementKind::Estoque, MovementKind::Entradas, MovementKind::Saidas,
                                            MovementKind::Dispensacoes};
// Every kind, in the order of the table and an unattended run's sends.
inline constexpr MovementKind AllKinds[] = {MovementKind::Estoque, MovementKind::Entradas, MovementKind::Saidas,
                                            MovementKind::Dispensacoes, MovementKind::SemCartao};

const KindFacts &kindFacts(MovementKind kind);
// The list a command-line name ("estoque", "entradas", "saidas", "dispensacoes") names.
std::optional<MovementKind> movementKindNamed(const QString &name);
// The kind a command-line name names, "sem-cartao" among them.
std::optional<MovementKind> kindNamed(const QString &name);
// The list whose protocols carry this Tipo text.
std::optional<MovementKind> movementKindOfTipo(const QString &tipo);
// The list whose records hold the protocols of a Tipo: any text other than the four is taken
// as stock.
MovementKind kindOfTipo(const QString &tipo);
// The unit's key in the kind's list: its CNES for the daily list, its code for the others.
const QString &unitKey(MovementKind kind, const QString &cnes, const QString &codigo);

} // namespace tavro
