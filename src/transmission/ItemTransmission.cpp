#include "transmission/ItemTransmission.h"

#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "transmission/RecordValues.h"

namespace tavro {

ItemTransmission::ItemTransmission(QString tipo, RecordTable table, TransmissionCells cells)
    : m_tipo(std::move(tipo))
    , m_table(table)
    , m_cells(cells)
{
}

RecordKey ItemTransmission::key(const RecordList &list, int row, const TransmissionInput &) const
{
    return recordKeyOf(m_table, list.caption(row));
}

bool ItemTransmission::checkProductCode(const RecordList &list, int row, QStringList &erros) const
{
    // The line lists agree on their product-code cell.
    const QStringView code = list.subCellView(row, EntradaCell::Produto);
    bool ok = !code.isEmpty();
    if (code.size() < 15) {
        erros.append(withRow(QStringLiteral("Código de produto inválido!"), list, row));
        ok = false;
    }
    return ok;
}

QString ItemTransmission::withRow(const QString &message, const RecordList &list, int row) const
{
    return message + QStringLiteral(" Lançamento: ") + rowName(list, row, m_cells.nome);
}

} // namespace tavro
