#include "transmission/EstoqueTransmission.h"

#include "db/DateText.h"
#include "db/UFunc.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/TavroWSAsync.h"
#include "transmission/RecordValues.h"
#include "transmission/RowCheckMessages.h"
#include "transmission/Transmission.h"

namespace tavro {

namespace Cell = EstoqueCell;

bool EstoqueTransmission::check(const RecordList &list, int row, QStringList &erros) const
{
    const auto fail = [&](const QString &message) {
        erros.append(message + list.caption(row) + QStringLiteral(" - ") + list.subCell(row, Cell::Nome));
    };
    const QStringView code = list.subCellView(row, Cell::Produto);
    bool ok = true;
    if (code.isEmpty()) {
        fail(RowCheck::ProdutoSemCodigo);
        ok = false;
    }
    if (code.size() < 15) {
        fail(RowCheck::CodigoInvalido + QLatin1Char(' '));
        ok = false;
    }
    if (list.subCellView(row, Cell::Lote).isEmpty()) {
        fail(RowCheck::ProdutoSemLote);
        ok = false;
    }
    if (list.subCellView(row, Cell::Validade).isEmpty()) {
        fail(RowCheck::ProdutoSemValidade);
        ok = false;
    }
    // A quantity that is not a whole number counts as negative: dropped without a line.
    bool whole = false;
    const qint64 quantity = list.subCellView(row, Cell::Quantidade).trimmed().toLongLong(&whole);
    if (!whole || quantity < 0)
        ok = false;
    return ok;
}

RecordKey EstoqueTransmission::key(const RecordList &list, int row, const TransmissionInput &input) const
{
    // The unit is the listed row's own, not the "Unidade:" field, which the clerk may have
    // changed (or emptied) since the search: the positions marked are the ones sent.
    return RecordKey{{QStringLiteral("where codunidade = (select u.codunidade from conciliacao u "
                                     "where u.lancamento = :plancamento)"),
                      QStringLiteral("and codproduto = :pcodproduto"), QStringLiteral("and data = :pdata"),
                      QStringLiteral("and lote = :plote")},
                     {{QStringLiteral("plancamento"), list.caption(row)},
                      {QStringLiteral("pcodproduto"), list.subCell(row, Cell::Codigo)},
                      {QStringLiteral("pdata"), dateFromText(input.dia)},
                      {QStringLiteral("plote"), list.subCell(row, Cell::Lote)}}};
}

ProdutoType EstoqueTransmission::MontaRegistroEstoque(const RecordList &list, int row)
{
    ProdutoType produto;
    produto.coRegistroOrigem = NumeroComZeros(list.caption(row), 10) + QLatin1Char('-')
        + NumeroComZeros(list.subCell(row, Cell::Codigo), 15) + QLatin1Char('-') + list.subCell(row, Cell::Lote);
    produto.nuProduto = list.subCell(row, Cell::Produto);
    produto.nuLote = list.subCell(row, Cell::Lote);
    produto.dtValidade = TrocaCaractere(list.subCell(row, Cell::Validade), QLatin1Char('/'), QStringLiteral("-"));
    QString quantity = list.subCell(row, Cell::Quantidade).trimmed();
    quantity.replace(QLatin1Char(','), QLatin1Char('.'));
    produto.qtProduto = qRound64(quantity.toDouble());
    produto.dtRegistro = TrocaCaractere(list.subCell(row, Cell::Data), QLatin1Char('/'), QStringLiteral("-"));
    if (const QString programa = list.subCell(row, Cell::ProgramaSaude); !programa.isEmpty())
        produto.sgProgramaSaude = programa;
    if (const QString ium = list.subCell(row, Cell::Ium); !ium.isEmpty())
        produto.coIUM = ium;
    return produto;
}

void EstoqueTransmission::add(const RecordList &list, int row)
{
    if (m_requests.rectification) {
        ProdutoVinculadoType produto;
        produto.coRegistro = integerValue(list.subCell(row, Cell::CoRegistro));
        static_cast<ProdutoType &>(produto) = MontaRegistroEstoque(list, row);
        appendRecord(m_requests.retificacao, m_requests.estabelecimento, std::move(produto));
    } else {
        appendRecord(m_requests.novo, m_requests.estabelecimento, MontaRegistroEstoque(list, row));
    }
}

} // namespace tavro
