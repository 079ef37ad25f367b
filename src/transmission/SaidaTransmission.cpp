#include "transmission/SaidaTransmission.h"

#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/TavroWSAsync.h"
#include "transmission/RecordValues.h"
#include "transmission/RowCheckMessages.h"

namespace tavro {

namespace Cell = SaidaCell;

SaidaTransmission::SaidaTransmission(MovementKind list)
    : ItemTransmission(list)
{
}

bool SaidaTransmission::check(const RecordList &list, int row, QStringList &erros) const
{
    bool ok = checkProductCode(list, row, erros);
    if (!completeCnpj(list.subCellView(row, Cell::CnpjFabricante))
        && list.subCellView(row, Cell::FabricanteInternacional).isEmpty()) {
        erros.append(withRow(RowCheck::SaidaSemFabricante, list, row));
        ok = false;
    }
    if (list.subCellView(row, Cell::TipoSaida) == QLatin1String("S-TR")
        && list.subCellView(row, Cell::CnesDestino).isEmpty()
        && !completeCnpj(list.subCellView(row, Cell::CnpjDestino))) {
        erros.append(withRow(RowCheck::SaidaSemDestino, list, row));
        ok = false;
    }
    return ok;
}

void SaidaTransmission::begin(const BatchContext &context)
{
    m_cnes = context.cnes;
    m_estabelecimento = estabelecimento(context);
    m_request = {};
    m_request.identificacao = identificacao(context);
}

void SaidaTransmission::add(const RecordList &list, int row)
{
    ProdutoSaidaType produto;
    readRowCells([&] { fillItemProduct(produto, list, row); });
    setManufacturer(produto, list.subCell(row, Cell::CnpjFabricante), list.subCell(row, Cell::FabricanteInternacional));
    produto.tpSaida = list.subCell(row, Cell::TipoSaida);
    EstabelecimentoCNESCNPJType destino;
    if (const QString cnpj = list.subCell(row, Cell::CnpjDestino); completeCnpj(cnpj)) {
        destino.idIdentificacao = idIdentificacao::CNPJ;
        destino.nuCNPJ = cnpjDigits(cnpj);
    } else {
        destino.idIdentificacao = idIdentificacao::CNES;
        destino.coCNES = list.subCell(row, Cell::CnesDestino);
    }
    appendIssue(std::move(produto), std::move(destino));
}

void SaidaTransmission::appendIssue(ProdutoSaidaType produto, EstabelecimentoCNESCNPJType destino)
{
    registro9 registro;
    registro.estabelecimento = m_estabelecimento;
    registro.produto = std::move(produto);
    registro.estabelecimentoDestino = std::move(destino);
    m_request.registro.push_back(std::move(registro));
}

SentBatch SaidaTransmission::send(TavroWSAsync &port)
{
    return sentBatch(port.informarSaidaMedicamentoEmLote(m_request));
}

} // namespace tavro
