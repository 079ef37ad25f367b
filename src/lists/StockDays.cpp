#include "lists/StockDays.h"

#include "db/Database.h"

namespace tavro {

QStringList stockDays(Database &db)
{
    db.restartTransaction();
    QStringList days;
    {
        SqlCursor cursor = db.select(
            SqlStatement{QStringLiteral("select distinct data from conciliacao order by data desc")});
        while (cursor.next())
            days.append(cursor.text(0));
    }
    db.rollback();
    return days;
}

} // namespace tavro
