#include "transmission/RecordValues.h"

#include "common/Error.h"
#include "db/DateText.h"
#include "db/UFunc.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "service/TavroWS11.h"
#include "transmission/TransmissionKind.h"

namespace tavro {

QString rowName(const RecordList &list, int row, int nomeCell)
{
    return list.caption(row) + QStringLiteral(" - ") + list.subCell(row, nomeCell);
}

QString serviceDate(const QString &text)
{
    return dateFromText(text).toString(QStringLiteral("dd-MM-yyyy"));
}

QString decimalFourPlaces(const QString &text)
{
    return QString::number(decimalValue(text), 'f', 4);
}

QString cnpjDigits(const QString &text)
{
    QString digits = text;
    digits.remove(QLatin1Char('.')).remove(QLatin1Char('/')).remove(QLatin1Char('-'));
    return digits;
}

bool blankCnpj(QStringView text)
{
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('.') && c != QLatin1Char('/') && c != QLatin1Char('-'))
            return false;
    }
    return true;
}

bool completeCnpj(QStringView text)
{
    return text.size() == 18 && !blankCnpj(text);
}

IdentificacaoType identificacao(const BatchContext &context)
{
    IdentificacaoType value;
    value.coIBGE = context.coIBGE;
    return value;
}

IdentificacaoProtocoloType identificacaoProtocolo(const BatchContext &context)
{
    IdentificacaoProtocoloType value;
    value.coIBGE = context.coIBGE;
    value.nuProtocoloEntrada = context.protocolo;
    return value;
}

EstabelecimentoType estabelecimento(const BatchContext &context)
{
    return EstabelecimentoType{context.cnes, context.tipoEstabelecimento};
}

void fillItemProduct(ProdutoType &produto, const RecordList &list, int row)
{
    using namespace ItemCell;
    produto.coRegistroOrigem = list.caption(row);
    produto.nuProduto = list.subCell(row, Produto);
    produto.nuLote = list.subCell(row, Lote);
    produto.dtValidade = serviceDate(list.subCell(row, Validade));
    produto.qtProduto = integerValue(list.subCell(row, Quantidade));
    produto.dtRegistro = serviceDate(list.subCell(row, Data));
    if (const QString programa = list.subCell(row, ProgramaSaude); !programa.isEmpty())
        produto.sgProgramaSaude = programa;
    if (const QString ium = list.subCell(row, Ium); !ium.isEmpty())
        produto.coIUM = ium;
}

} // namespace tavro
