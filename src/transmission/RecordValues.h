#pragma once

#include "common/Error.h"

#include <QString>

// Conversions of list cells into the values a batch request carries. serviceDate,
// decimalFourPlaces and fillItemProduct raise a conversion error when a cell cannot be
// read; the others never fail. The error ends the transmission run unless the conversion
// is part of a row's own values (readRowCells), which refuses that row alone.
namespace tavro {

class RecordList;

// A cell of one row's own values (a date, a quantity, a height, a value) that cannot be
// converted: the run refuses that row and goes on with the others.
class RowValueError : public Error
{
public:
    using Error::Error;
};

// Runs `build`, which reads one row's own cells into its record, turning a conversion
// error into RowValueError: one mistyped line must not hold back the rest of its kind.
template <class Build>
void readRowCells(Build &&build)
{
    try {
        build();
    } catch (const RowValueError &) {
        throw;
    } catch (const Error &error) {
        throw RowValueError(error.message());
    }
}

// How the lines of "Erros" name a row: its caption and its product's name.
QString rowName(const RecordList &list, int row, int nomeCell);

// A day/month/year text written as the service's "dd-mm-yyyy".
QString serviceDate(const QString &text);
// A decimal in the local form (comma or point) written with a point and four places: 12,5 → 12.5000.
QString decimalFourPlaces(const QString &text);
// A CNPJ without its punctuation (".", "/" and "-").
QString cnpjDigits(const QString &text);
// CNPJs are stored punctuated, 18 characters when complete. An emptied field keeps its
// mask ("  .   .   /    -  "): such a cell holds no CNPJ, so blanks never go out as one.
bool blankCnpj(QStringView text);
bool completeCnpj(QStringView text);

struct BatchContext;
struct EstabelecimentoType;
struct IdentificacaoProtocoloType;
struct IdentificacaoType;
struct ProdutoType;

// The identification of a new batch, and that of a rectification of the chosen protocol.
IdentificacaoType identificacao(const BatchContext &context);
IdentificacaoProtocoloType identificacaoProtocolo(const BatchContext &context);
// The establishment shared by every record: the unit's CNES and type.
EstabelecimentoType estabelecimento(const BatchContext &context);

// The manufacturer of a product: its CNPJ without punctuation and its international
// number, each only when the list has it.
template <class Produto>
void setManufacturer(Produto &produto, const QString &cnpj, const QString &internacional)
{
    if (!blankCnpj(cnpj))
        produto.nuCNPJFabricante = cnpjDigits(cnpj);
    if (!internacional.isEmpty())
        produto.noFabricanteInternacional = internacional;
}

// The product part common to goods received, issues and dispensations, from the first
// eight sub-cells their lists share: origin key (the row caption), code, lot, expiry,
// quantity, day, and the health programme and IUM when filled.
void fillItemProduct(ProdutoType &produto, const RecordList &list, int row);

} // namespace tavro
