#include "lists/StockDays.h"

#include "common/Status.h"
#include "db/Database.h"
#include "db/TransactionGuard.h"

namespace tavro {

QStringList stockDays(Database &db, const QString &cnes)
{
    // A clerk opens the stock tab to send: the days that still hold work come first.
    SqlStatement query{QStringLiteral("select c.data, max(case when (u.codigo = :punidade or u.numero = :punidade)"),
                       QStringLiteral("and ") + sendableCondition(QStringLiteral("c.tavrosituacao"))
                           + QStringLiteral(" then 1 else 0 end)"),
                       QStringLiteral("from conciliacao c left join unidades u on u.codigo = c.codunidade"),
                       QStringLiteral("group by c.data order by 2 desc, 1 desc")};
    query.setParam(QStringLiteral("punidade"), cnes);
    const ReadSnapshot snapshot(db);
    QStringList days;
    {
        SqlCursor cursor = db.select(query);
        while (cursor.next())
            days.append(cursor.text(0));
    }
    return days;
}

} // namespace tavro
