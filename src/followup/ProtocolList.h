#pragma once

#include "common/Status.h"
#include "db/SqlStatement.h"
#include "lists/ListKinds.h"

#include <QString>

namespace tavro {

class Database;
class RecordList;

// Sub-cells of LVProtocolos; the follow-up checks read their arguments from them.
namespace ProtocolCell {
enum : int { Protocolo = 0, Data = 1, Tipo = 2, Situacao = 3, ProtocoloAntigo = 4, Cnes = 5 };
}

// The filters of the protocol tab, as its check boxes stand.
struct ProtocolFilter
{
    bool todosCnes = false;
    QString cnes;
    bool estoque = true, entradas = true, saidas = true, dispensacoes = true;
    // The box of a kind's list: the dispensations' for SemCartao.
    bool &shows(MovementKind kind);
    bool shows(MovementKind kind) const;
    StatusBoxes status;
    // The unit's held batches (the program's own statuses, which no box names) are listed
    // first whatever the kind and status boxes say, so a batch on its way is never hidden.
    bool retidos = true;
};

// The list's statement for these filters: the held batches first, then newest protocol first.
SqlStatement protocolListStatement(const ProtocolFilter &filter);

// A protocol list with its captions, widths and status colours.
RecordList *newProtocolList(QObject *parent);

// CarregaProtocolos: rebuilds the list from what is committed. Before any login
// (`usuarioSessao` empty) the list is left as it is. A failing query leaves the
// rows the list had.
void CarregaProtocolos(Database &db, const ProtocolFilter &filter, const QString &usuarioSessao, RecordList &list);

// The row of a protocol list that holds `protocolo`; -1 when none does.
int protocolRow(const RecordList &list, const QString &protocolo);

} // namespace tavro
