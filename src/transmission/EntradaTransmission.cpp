#include "transmission/EntradaTransmission.h"

#include "db/UFunc.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/TavroWSAsync.h"
#include "transmission/RecordValues.h"
#include "transmission/RowCheckMessages.h"

namespace tavro {

namespace Cell = EntradaCell;

bool EntradaTransmission::check(const RecordList &list, int row, QStringList &erros) const
{
    const auto fail = [&](const QString &message) {
        erros.append(message + list.caption(row) + QStringLiteral(" - ") + list.subCell(row, Cell::Nome));
    };
    bool ok = checkProductCode(list, row, erros);
    if (!completeCnpj(list.subCellView(row, Cell::CnpjFabricante))
        && list.subCellView(row, Cell::FabricanteInternacional).isEmpty()) {
        fail(RowCheck::EntradaSemFabricante);
        ok = false;
    }
    if (!completeCnpj(list.subCellView(row, Cell::CnpjDistribuidor))) {
        fail(RowCheck::EntradaSemDistribuidor);
        ok = false;
    }
    return ok;
}

void EntradaTransmission::MontaRegistroEntrada(ProdutoEntradaType &produto, const RecordList &list, int row)
{
    fillItemProduct(produto, list, row);
    setManufacturer(produto, list.subCell(row, Cell::CnpjFabricante), list.subCell(row, Cell::FabricanteInternacional));
    produto.nuNotaFiscal = list.subCell(row, Cell::NotaFiscal);
    produto.nuValorUnitario = decimalFourPlaces(list.subCell(row, Cell::ValorUnitario));
    produto.nuCNPJDistribuidor = cnpjDigits(list.subCell(row, Cell::CnpjDistribuidor));
    const QString tipoEntrada = list.subCell(row, Cell::TipoEntrada).trimmed();
    produto.tpEntradaEstoque = tipoEntrada.startsWith(QLatin1String("E-")) ? tipoEntrada.left(30)
                                                                           : QStringLiteral("E-O");
}

void EntradaTransmission::add(const RecordList &list, int row)
{
    if (m_requests.rectification) {
        ProdutoVinculadoEntradaType produto;
        produto.coRegistro = integerValue(list.subCell(row, Cell::CoRegistro));
        readRowCells([&] { MontaRegistroEntrada(produto, list, row); });
        appendRecord(m_requests.retificacao, m_requests.estabelecimento, std::move(produto));
    } else {
        ProdutoEntradaType produto;
        readRowCells([&] { MontaRegistroEntrada(produto, list, row); });
        appendRecord(m_requests.novo, m_requests.estabelecimento, std::move(produto));
    }
}

} // namespace tavro
