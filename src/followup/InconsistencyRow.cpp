#include "followup/InconsistencyRow.h"

#include "db/Database.h"
#include "db/SqlStatement.h"

namespace tavro {

void describeRecord(Database &db, RecordTable table, const QString &origem, InconsistencyRow &row)
{
    const RecordKey key = recordKeyOf(table, origem);
    QString lancamento, item;
    for (const auto &[name, value] : key.params)
        (name == QLatin1String("pitem") ? item : lancamento) = value.toString();
    row.registro = item.isEmpty() ? lancamento : lancamento + QLatin1Char('-') + item;

    SqlStatement query;
    switch (table) {
    case RecordTable::Conciliacao:
        query.add(QStringLiteral("select p.descricao, null, null from conciliacao r"));
        query.add(QStringLiteral("left join produtos p on p.codigo = r.codproduto"));
        query.add(QStringLiteral("where r.lancamento = :plancamento"));
        break;
    case RecordTable::ItensEntradas:
        query.add(QStringLiteral("select p.descricao, null, null from itensentradas r"));
        query.add(QStringLiteral("left join produtos p on p.codigo = r.codproduto"));
        query.add(QStringLiteral("where r.lancamento = :plancamento and r.item = :pitem"));
        break;
    case RecordTable::ItensSaidas:
        query.add(QStringLiteral("select p.descricao, pe.nome, u.nome from itenssaidas r"));
        query.add(QStringLiteral("join saidas s on s.lancamento = r.lancamento"));
        query.add(QStringLiteral("left join produtos p on p.codigo = r.codproduto"));
        query.add(QStringLiteral("left join pessoas pe on pe.codigo = s.codpessoa"));
        query.add(QStringLiteral("left join unidades u on u.codigo = s.codunidadedestino"));
        query.add(QStringLiteral("where r.lancamento = :plancamento and r.item = :pitem"));
        break;
    }
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
