#include "lists/ListCounts.h"

#include "lists/RecordList.h"

#include <QMap>
#include <QStringList>

namespace tavro {

QString ListCounts::text() const
{
    if (total == 0)
        return QStringLiteral("Nenhum registro");
    QStringList parts;
    for (const Status &status : porSituacao) {
        const QString name = status.situacao.isEmpty() ? QStringLiteral("Não enviados") : status.situacao;
        parts << QStringLiteral("%1 %2").arg(name).arg(status.rows);
    }
    const QString rows = total == 1 ? QStringLiteral("1 registro") : QStringLiteral("%1 registros").arg(total);
    return rows + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
}

ListCounts countRows(const RecordList &list)
{
    // The map orders the statuses, the empty one first; "Aguardando" to "Ok-Retificado"
    // then also follow their priorities.
    QMap<QString, int> rows;
    const int cell = list.statusSubCell();
    for (int row = 0; row < list.rowCount(); ++row)
        ++rows[list.subCellView(row, cell).toString()];
    ListCounts counts;
    counts.total = list.rowCount();
    for (auto it = rows.cbegin(); it != rows.cend(); ++it)
        counts.porSituacao.append({it.key(), it.value()});
    return counts;
}

} // namespace tavro
