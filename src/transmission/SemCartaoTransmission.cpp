#include "transmission/SemCartaoTransmission.h"

#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "transmission/RecordValues.h"
#include "transmission/RowCheckMessages.h"

namespace tavro {

namespace Cell = DispensacaoCell;

bool SemCartaoTransmission::check(const RecordList &list, int row, QStringList &erros) const
{
    bool ok = checkProductCode(list, row, erros);
    const QStringView cns = list.subCellView(row, Cell::CnsUsuario);
    if (!cns.isEmpty() && cns != QLatin1String("000000000000000")) {
        erros.append(RowCheck::ApenasSemCartao + list.subCell(row, Cell::NomeUsuario));
        ok = false;
    }
    const QStringView cnpj = list.subCellView(row, Cell::CnpjFabricante);
    if (blankCnpj(cnpj)) {
        erros.append(RowCheck::DispensacaoSemFabricante + list.caption(row));
        ok = false;
    }
    return ok;
}

void SemCartaoTransmission::add(const RecordList &list, int row)
{
    ProdutoSaidaType produto;
    readRowCells([&] { fillItemProduct(produto, list, row); });
    setManufacturer(produto, list.subCell(row, Cell::CnpjFabricante), list.subCell(row, Cell::FabricanteInternacional));
    produto.tpSaida = QStringLiteral("S-PA");
    EstabelecimentoCNESCNPJType destino;
    destino.idIdentificacao = idIdentificacao::CNES;
    destino.coCNES = cnes();
    appendIssue(std::move(produto), std::move(destino));
}

} // namespace tavro
