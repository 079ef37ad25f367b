// list_bench DATABASE [dispensacoes|estoque|entradas|saidas]
//
// Times one movement search from statement to filled list model, next to the time
// isql-fb needs to fetch and print the same statement into /dev/null, and prints the
// peak memory of this process with the filled list. Run it once per kind: the peak is
// a high-water mark of the whole process. The database comes from generate-large.sh.

#include "BenchSupport.h"
#include "db/Database.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

using namespace tavro;
using tavro::bench::benchArguments;
using tavro::bench::bestIsql;
using tavro::bench::literalSql;

namespace {

constexpr int Repetitions = 3;

// The period and the day that generate-large.sh fills, for unit 1.
ListSearch searchFor(const QString &kind)
{
    ListSearch search;
    search.period.dataInicial = QStringLiteral("01/01/2019");
    search.period.dataFinal = QStringLiteral("31/01/2019");
    search.unidade = QStringLiteral("1");
    if (kind == QLatin1String("estoque")) {
        search.kind = MovementKind::Estoque;
        search.unidade = QStringLiteral("2345678");
        search.dia = QStringLiteral("28/02/2019");
    } else if (kind == QLatin1String("entradas")) {
        search.kind = MovementKind::Entradas;
    } else if (kind == QLatin1String("saidas")) {
        search.kind = MovementKind::Saidas;
    } else if (kind == QLatin1String("dispensacoes")) {
        search.kind = MovementKind::Dispensacoes;
    } else {
        std::fprintf(stderr, "unknown list: %s\n", qPrintable(kind));
        std::exit(2);
    }
    return search;
}

// A figure of /proc/self/status ("VmHWM", "VmRSS") in megabytes.
double statusMegabytes(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// What the cells' text alone takes, at two bytes a character.
double textMegabytes(const RecordList &list)
{
    qint64 characters = 0;
    for (int r = 0; r < list.rowCount(); ++r) {
        characters += list.caption(r).size();
        for (int k = 0; k + 1 < list.columnCount(); ++k)
            characters += list.subCell(r, k).size();
    }
    return double(characters) * 2 / (1024 * 1024);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = benchArguments("list_bench DATABASE [dispensacoes|estoque|entradas|saidas]", 1);
    if (args.isEmpty())
        return 2;
    const QString database = args.at(0);
    const QString kind = args.value(1, QStringLiteral("dispensacoes"));
    const ListSearch search = searchFor(kind);
    const QString sql = literalSql(listStatement(search));

    // isql first: the embedded engine lets one process at a time hold the file. Every
    // isql run is a fresh process with a cold page cache, so every fill below gets a
    // fresh connection as well.
    const qint64 isqlMs = bestIsql(database, sql, Repetitions);
    const qint64 isqlStartMs = bestIsql(database, QStringLiteral("select 1 from rdb$database"), Repetitions);
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    const double isqlPeak = double(children.ru_maxrss) / 1024.0;

    qint64 fillMs = std::numeric_limits<qint64>::max();
    std::unique_ptr<RecordList> list;
    double before = 0;
    for (int i = 0; i < Repetitions; ++i) {
        list.reset();
        Database db;
        db.open(database);
        list.reset(newMovementList(search.kind, nullptr));
        before = statusMegabytes("VmRSS");
        QElapsedTimer timer;
        timer.start();
        fillMovementList(db, search, *list);
        fillMs = std::min(fillMs, timer.elapsed());
    }
    const double peak = statusMegabytes("VmHWM");
    const double resident = statusMegabytes("VmRSS");

    std::printf("list_bench %s: %d rows of %d cells\n", qPrintable(kind), list->rowCount(), list->columnCount());
    std::printf("  %-44s %8lld ms  (best of %d; start and connect alone: %lld ms)\n", "isql-fb fetch into /dev/null",
                isqlMs, Repetitions, isqlStartMs);
    std::printf("  %-44s %8lld ms  (best of %d, each on a fresh connection)\n", "fillMovementList, statement to model",
                fillMs, Repetitions);
    std::printf("  %-44s %8.2f     (%.2f against isql without its start)\n", "ratio fill / isql",
                double(fillMs) / double(isqlMs), double(fillMs) / double(std::max<qint64>(1, isqlMs - isqlStartMs)));
    std::printf("  %-44s %8.1f MB\n", "peak memory (VmHWM) with the filled list", peak);
    std::printf("  %-44s %8.1f MB  (before the search %.1f MB; cells' text %.1f MB)\n", "resident with the filled list",
                resident, before, textMegabytes(*list));
    std::printf("  %-44s %8.1f MB\n", "isql-fb's own peak memory", isqlPeak);
    return 0;
}
