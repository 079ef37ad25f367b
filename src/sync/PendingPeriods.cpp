#include "sync/PendingPeriods.h"

#include "common/Status.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "db/TransactionGuard.h"

#include <set>

namespace tavro {

QList<Period> pendingMonths(Database &db, const QString &codigoUnidade, const QString &cnes)
{
    // Year * 12 + month - 1 of every month with something to send; the period lists read
    // their dates from the documents, the stock list from the positions.
    const QString month = QStringLiteral("extract(year from %1) * 12 + extract(month from %1) - 1");
    SqlStatement query{
        QStringLiteral("select distinct ") + month.arg(QStringLiteral("e.data")),
        QStringLiteral("from itensentradas ie inner join entradas e on e.lancamento = ie.lancamento"),
        QStringLiteral("where ie.codunidade = :pcodigo and ") + sendableCondition(QStringLiteral("ie.tavrosituacao")),
        QStringLiteral("union select distinct ") + month.arg(QStringLiteral("s.data")),
        QStringLiteral("from itenssaidas its inner join saidas s on s.lancamento = its.lancamento"),
        QStringLiteral("where its.codunidade = :pcodigo and ") + sendableCondition(QStringLiteral("its.tavrosituacao")),
        QStringLiteral("union select distinct ") + month.arg(QStringLiteral("c.data")),
        QStringLiteral("from conciliacao c inner join unidades u on u.codigo = c.codunidade"),
        QStringLiteral("where (u.codigo = :pcnes or u.numero = :pcnes) and ")
            + sendableCondition(QStringLiteral("c.tavrosituacao"))};
    query.setParam(QStringLiteral("pcodigo"), codigoUnidade);
    query.setParam(QStringLiteral("pcnes"), cnes);
    std::set<int> months;
    const ReadSnapshot snapshot(db);
    {
        SqlCursor cursor = db.select(query);
        while (cursor.next())
            months.insert(cursor.value(0).toInt());
    }
    QList<Period> periods;
    for (const int m : months) {
        const QDate first(m / 12, m % 12 + 1, 1);
        periods.append({dateToText(first), dateToText(first.addMonths(1).addDays(-1))});
    }
    return periods;
}

QStringList pendingStockDays(Database &db, const QString &cnes, const Period &period)
{
    SqlStatement query{QStringLiteral("select distinct c.data from conciliacao c"),
                       QStringLiteral("inner join unidades u on u.codigo = c.codunidade"),
                       QStringLiteral("where c.data >= :pDATA1 and c.data <= :pDATA2"),
                       QStringLiteral("and (u.codigo = :punidade or u.numero = :punidade)"),
                       QStringLiteral("and ") + sendableCondition(QStringLiteral("c.tavrosituacao")),
                       QStringLiteral("order by c.data")};
    query.setParam(QStringLiteral("pDATA1"), period.dataInicial);
    query.setParam(QStringLiteral("pDATA2"), period.dataFinal);
    query.setParam(QStringLiteral("punidade"), cnes);
    QStringList days;
    const ReadSnapshot snapshot(db);
    {
        SqlCursor cursor = db.select(query);
        while (cursor.next())
            days.append(cursor.text(0));
    }
    return days;
}

Period lastDays(int dias, const QDate &hoje)
{
    return {dateToText(hoje.addDays(-dias)), dateToText(hoje.addDays(-1))};
}

} // namespace tavro
