#include "transmission/ItemTransmission.h"

#include "db/UFunc.h"
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
    const QString caption = list.caption(row);
    return itemKey(PegaCampo(caption, 1, QLatin1Char('-')), PegaCampo(caption, 2, QLatin1Char('-')));
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
