// overview_bench DATABASE [YEAR]
//
// Times the overview of unit 1 for a year (default 2019): its four aggregate statements,
// grouped by month and status in the database, from statement to figures, next to
// isql-fb running the same statements as one script. The database comes from
// generate-large.sh (the default one, or OUT 1000000 for a million dispensation lines).

#include "BenchSupport.h"
#include "db/Database.h"
#include "lists/OverviewStatements.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <limits>

using namespace tavro;

namespace {

constexpr int Repetitions = 3;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = bench::benchArguments("overview_bench DATABASE [YEAR]", 1);
    if (args.isEmpty())
        return 2;
    const QString database = args.at(0);
    OverviewSearch search;
    search.codigoUnidade = QStringLiteral("1");
    search.cnes = QStringLiteral("2345678");
    search.period = yearPeriod(args.value(1, QStringLiteral("2019")).toInt());

    QStringList statements;
    for (const MovementKind kind : AllLists)
        statements.append(bench::literalSql(overviewStatement(kind, search)));
    const QString script = statements.join(QStringLiteral(";\n"));
    const qint64 isqlStartMs = bench::bestIsql(database, QStringLiteral("select 1 from rdb$database"), Repetitions);

    // Taken in turns, so that a busy machine weighs on both alike; the embedded engine
    // lets one process at a time hold the file, so each connection closes before isql runs.
    qint64 isqlMs = std::numeric_limits<qint64>::max();
    qint64 connectMs = std::numeric_limits<qint64>::max();
    qint64 loadMs = std::numeric_limits<qint64>::max();
    OverviewFigures figures;
    for (int i = 0; i < Repetitions; ++i) {
        isqlMs = std::min(isqlMs, bench::bestIsql(database, script, 1));
        QElapsedTimer timer;
        timer.start();
        Database db;
        db.open(database);
        connectMs = std::min(connectMs, timer.restart());
        figures = loadOverview(db, search);
        loadMs = std::min(loadMs, timer.elapsed());
    }

    qint64 records = 0;
    for (const MovementKind kind : AllLists) {
        for (int m = 0; m < figures.period().months; ++m)
            records += figures.total(kind, m);
    }
    std::printf("overview_bench %s, %s to %s: %lld records counted\n", qPrintable(database),
                qPrintable(monthText(search.period.firstDay())), qPrintable(monthText(search.period.lastDay())),
                records);
    std::printf("  %-44s %8lld ms  (best of %d; start and connect alone: %lld ms)\n", "isql-fb, the four statements",
                isqlMs, Repetitions, isqlStartMs);
    std::printf("  %-44s %8lld ms  (best of %d; connecting: %lld ms)\n", "loadOverview, statements to figures", loadMs,
                Repetitions, connectMs);
    std::printf("  %-44s %8.2f     (%.2f against isql without its start)\n", "ratio (connect + load) / isql",
                double(connectMs + loadMs) / double(isqlMs),
                double(loadMs) / double(std::max<qint64>(1, isqlMs - isqlStartMs)));
    return 0;
}
