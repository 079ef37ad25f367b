#include "transmission/EntradaTransmission.h"

#include "db/UFunc.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/TavroWSAsync.h"
#include "transmission/RecordValues.h"

namespace tavro {

namespace Cell = EntradaCell;

EntradaTransmission::EntradaTransmission()
    : ItemTransmission(Tipo::Entrada, RecordTable::ItensEntradas,
                       {Cell::Protocolo, Cell::DataProtocolo, Cell::Situacao, Cell::Gravar, Cell::Nome})
{
}

bool EntradaTransmission::check(const RecordList &list, int row, QStringList &erros) const
{
    const auto fail = [&](const QString &message) {
        erros.append(message + list.caption(row) + QStringLiteral(" - ") + list.subCell(row, Cell::Nome));
    };
    bool ok = checkProductCode(list, row, erros);
    if (!completeCnpj(list.subCellView(row, Cell::CnpjFabricante))
        && list.subCellView(row, Cell::FabricanteInternacional).isEmpty()) {
        fail(QStringLiteral("Falta CNPJ do Fabricante ou Número Internacional o lançamento: "));
        ok = false;
    }
    if (!completeCnpj(list.subCellView(row, Cell::CnpjDistribuidor))) {
        fail(QStringLiteral("Falta CNPJ do Distribuidor do lançamento: "));
        ok = false;
    }
    return ok;
}

void EntradaTransmission::begin(const BatchContext &context)
{
    m_rectification = context.retransmission;
    m_estabelecimento = estabelecimento(context);
    m_new = {};
    m_rectify = {};
    if (m_rectification)
        m_rectify.identificacao = identificacaoProtocolo(context);
    else
        m_new.identificacao = identificacao(context);
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
    if (m_rectification) {
        ProdutoVinculadoEntradaType produto;
        produto.coRegistro = integerValue(list.subCell(row, Cell::CoRegistro));
        readRowCells([&] { MontaRegistroEntrada(produto, list, row); });
        registro7 registro;
        registro.estabelecimento = m_estabelecimento;
        registro.produto = std::move(produto);
        m_rectify.registro.push_back(std::move(registro));
    } else {
        ProdutoEntradaType produto;
        readRowCells([&] { MontaRegistroEntrada(produto, list, row); });
        registro3 registro;
        registro.estabelecimento = m_estabelecimento;
        registro.produto = std::move(produto);
        m_new.registro.push_back(std::move(registro));
    }
}

SentBatch EntradaTransmission::send(TavroWSAsync &port)
{
    if (m_rectification) {
        const ProtocoloRetificadoType answer = port.retificarEntradaMedicamentoEmLote(m_rectify);
        return {answer.nuProtocoloEntrada, answer.dtRecebimento, answer.nuProtocoloRetificado};
    }
    const ProtocoloType answer = port.informarEntradaMedicamentoEmLote(m_new);
    return {answer.nuProtocoloEntrada, answer.dtRecebimento, std::nullopt};
}

} // namespace tavro
