#include "followup/InconsistencyRow.h"

#include "db/Database.h"
#include "db/SqlStatement.h"

namespace tavro {

void describeRecord(Database &db, MovementKind table, const QString &origem, InconsistencyRow &row)
{
    const RecordKey key = recordKeyOf(table, origem);
    QString lancamento, item;
    for (const auto &[name, value] : key.params)
        (name == QLatin1String("pitem") ? item : lancamento) = value.toString();
    row.registro = item.isEmpty() ? lancamento : lancamento + QLatin1Char('-') + item;

    SqlStatement query;
    for (const QString &line : kindFacts(table).describe)
        query.add(line);
    for (const auto &[name, value] : key.params)
        query.setParam(name, value);
    SqlCursor cursor = db.select(query);
    if (cursor.next()) {
        row.produto = cursor.text(0).trimmed();
        row.pessoa = cursor.text(1).trimmed();
        if (row.pessoa.isEmpty())
            row.pessoa = cursor.text(2).trimmed();
    }
    cursor.close();
}

QString followupHeading(const QString &protocolo, const QString &tipo, const QString &data)
{
    return QStringLiteral("Protocolo %1 - %2 - %3").arg(protocolo, tipo, data);
}

} // namespace tavro
