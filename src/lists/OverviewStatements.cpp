#include "lists/OverviewStatements.h"

#include "db/Database.h"
#include "db/TransactionGuard.h"

namespace tavro {

namespace {

// The records of a kind's list between two days (or on any day), as "from ... where ..." lines.
void addRecords(SqlStatement &query, const ListRecords &records, const OverviewSearch &search, MovementKind kind,
                bool betweenDays = true)
{
    for (const QString &line : records.tables)
        query.add(line);
    query.add(betweenDays ? QStringLiteral("where %1 >= :pDATA1 and %1 <= :pDATA2").arg(records.dateColumn)
                          : QStringLiteral("where 1 = 1"));
    for (const QString &line : records.conditions)
        query.add(line);
    query.setParam(QStringLiteral("punidade"), unitKey(kind, search.cnes, search.codigoUnidade));
}

} // namespace

SqlStatement overviewStatement(MovementKind kind, const OverviewSearch &search)
{
    const ListRecords records = listRecords(kind, search.exibirSemCodigo);
    SqlStatement query;
    query.add(
        QStringLiteral("select extract(year from %1) * 100 + extract(month from %1) as mes,").arg(records.dateColumn));
    query.add(QStringLiteral("coalesce(%1tavrosituacao, '') as situacao, count(*) as quantidade").arg(records.prefix));
    addRecords(query, records, search, kind);
    query.add(QStringLiteral("group by 1, 2"));
    query.setParam(QStringLiteral("pDATA1"), search.period.firstDay());
    query.setParam(QStringLiteral("pDATA2"), search.period.lastDay());
    return query;
}

OverviewFigures loadOverview(Database &db, const OverviewSearch &search)
{
    OverviewFigures figures(search.period);
    const ReadSnapshot snapshot(db);
    for (const MovementKind kind : AllLists) {
        SqlCursor cursor = db.select(overviewStatement(kind, search));
        while (cursor.next())
            figures.add(kind, cursor.value(0).toInt(), cursor.text(1), cursor.value(2).toLongLong());
    }
    return figures;
}

QDate latestRecordDay(Database &db, const OverviewSearch &search)
{
    QDate latest;
    const ReadSnapshot snapshot(db);
    for (const MovementKind kind : AllLists) {
        const ListRecords records = listRecords(kind, search.exibirSemCodigo);
        SqlStatement query;
        query.add(QStringLiteral("select max(%1)").arg(records.dateColumn));
        addRecords(query, records, search, kind, false);
        SqlCursor cursor = db.select(query);
        if (cursor.next() && cursor.value(0).toDate() > latest)
            latest = cursor.value(0).toDate();
    }
    return latest;
}

QDate latestStockDay(Database &db, const OverviewSearch &search, QDate month, const QString &situacao)
{
    const ListRecords records = listRecords(MovementKind::Estoque, search.exibirSemCodigo);
    SqlStatement query;
    query.add(QStringLiteral("select max(%1)").arg(records.dateColumn));
    addRecords(query, records, search, MovementKind::Estoque);
    if (situacao.isEmpty()) {
        query.add(QStringLiteral("and (%1tavrosituacao is null or %1tavrosituacao = '')").arg(records.prefix));
    } else {
        query.add(QStringLiteral("and %1tavrosituacao = :psituacao").arg(records.prefix));
        query.setParam(QStringLiteral("psituacao"), situacao);
    }
    query.setParam(QStringLiteral("pDATA1"), month);
    query.setParam(QStringLiteral("pDATA2"), month.addMonths(1).addDays(-1));
    const ReadSnapshot snapshot(db);
    SqlCursor cursor = db.select(query);
    const QDate day = cursor.next() ? cursor.value(0).toDate() : QDate();
    cursor.close();
    return day;
}

} // namespace tavro
