#include "transmission/ItemTransmission.h"

#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "transmission/RecordValues.h"
#include "transmission/RowCheckMessages.h"

namespace tavro {

RecordKey ItemTransmission::key(const RecordList &list, int row, const TransmissionInput &) const
{
    return recordKeyOf(table(), list.caption(row));
}

bool ItemTransmission::checkProductCode(const RecordList &list, int row, QStringList &erros) const
{
    // The line lists agree on their product-code cell.
    const QStringView code = list.subCellView(row, EntradaCell::Produto);
    bool ok = !code.isEmpty();
    if (code.size() < 15) {
        erros.append(withRow(RowCheck::CodigoInvalido, list, row));
        ok = false;
    }
    return ok;
}

QString ItemTransmission::withRow(const QString &message, const RecordList &list, int row) const
{
    return message + QStringLiteral(" Lançamento: ") + rowName(list, row, cells().nome);
}

} // namespace tavro
