#pragma once

#include "common/Period.h"
#include "common/Status.h"
#include "db/SqlStatement.h"
#include "lists/ListKinds.h"

#include <QStringList>

class QObject;

namespace tavro {

class Database;
class ProgressObserver;
class RecordList;

// Sub-cells of each movement list. The transmitters read and write these cells.
namespace EstoqueCell {
enum : int {
    Codigo,
    Produto,
    Nome,
    Lote,
    Validade,
    Quantidade,
    Data,
    ProgramaSaude,
    Ium,
    Protocolo,
    DataProtocolo,
    Situacao,
    CoRegistro,
    Gravar
};
}
// The first sub-cells of the three period lists, which every line of a document has.
namespace ItemCell {
enum : int {
    Produto,
    Nome,
    Lote,
    Validade,
    Quantidade,
    Data,
    ProgramaSaude,
    Ium,
    Proprias // the list's own sub-cells start here
};
}
namespace EntradaCell {
using namespace ItemCell;
enum : int {
    CnpjFabricante = Proprias,
    FabricanteInternacional,
    NotaFiscal,
    ValorUnitario,
    CnpjDistribuidor,
    TipoEntrada,
    Protocolo,
    DataProtocolo,
    Situacao,
    CoRegistro,
    Gravar
};
} // namespace EntradaCell
namespace SaidaCell {
using namespace ItemCell;
enum : int {
    CnpjFabricante = Proprias,
    FabricanteInternacional,
    TipoSaida,
    Destino,
    CnesDestino,
    CnpjDestino,
    Protocolo,
    DataProtocolo,
    Situacao,
    CoRegistro,
    Gravar
};
} // namespace SaidaCell
namespace DispensacaoCell {
using namespace ItemCell;
enum : int {
    Competencia = Proprias,
    CnsUsuario,
    NomeUsuario,
    Peso,
    Altura,
    Cid10,
    CnesProfissional,
    Crm,
    Uf,
    Protocolo,
    DataProtocolo,
    Situacao,
    CoRegistro,
    Gravar,
    CnpjFabricante,
    FabricanteInternacional
};
} // namespace DispensacaoCell

// What a search of one movement list reads: in the window, its header and tab fields.
struct ListSearch
{
    MovementKind kind = MovementKind::Estoque;
    QString unidade; // period lists: PECodigoUnidade; stock: PECodCNES (code or CNES)
    Period period;   // period lists
    QString dia;     // stock: the chosen day
    bool exibirSemCodigo = false;
    StatusBoxes status;
    bool protocoloSelecionado = false;
    QString protocolo; // the text of the tab's protocol box
};

// The records a list of a kind holds whatever its day, period and status filters: the
// tables and joins of its statement, the column its day or period reads, and its
// "and ..." lines that pick the unit (parameter `punidade`) and, unless products
// without code are shown, the catalogue code. The overview counts these same records.
struct ListRecords
{
    QString prefix; // of the status columns: "c.", "ie.", "its."
    QStringList tables;
    QString dateColumn;
    QStringList conditions;
};
ListRecords listRecords(MovementKind kind, bool exibirSemCodigo);

// The list's statement for a search, with its parameters set.
SqlStatement listStatement(const ListSearch &search);

// The shapes of the four lists, which their kinds' facts name.
const ListShape &stockShape();
const ListShape &entradasShape();
const ListShape &saidasShape();
const ListShape &dispensacoesShape();

// A movement list with its captions, widths, alignment and status colours.
RecordList *newMovementList(MovementKind kind, QObject *parent);

// Runs the search and fills the list; returns the protocol box's entries: an empty
// first entry, then every distinct protocol of the rows in order of appearance. A
// failing search leaves the list as it was. Period lists roll the main transaction
// back afterwards; the stock list leaves it active. An observer hears every few thousand
// rows how many have been fetched, so a small search never shows progress.
QStringList fillMovementList(Database &db, const ListSearch &search, RecordList &list,
                             ProgressObserver *observer = nullptr);

// Rows fetched between two reports to a search's observer.
inline constexpr int SearchProgressRows = 2000;

} // namespace tavro
