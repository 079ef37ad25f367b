#include "transmission/ItemTransmission.h"

#include "lists/RecordList.h"

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

bool ItemTransmission::checkProductCode(QStringView code, QStringList &erros)
{
    bool ok = !code.isEmpty();
    if (code.size() < 15) {
        erros.append(QStringLiteral("Código de produto inválido!"));
        ok = false;
    }
    return ok;
}

} // namespace tavro
