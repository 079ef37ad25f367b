// pendencias_bench DATABASE
//
// The registration list of unit 1 over the large benchmark database (generate-large.sh),
// next to only filling the lists it reads: every month and stock day with records still to
// send, the same searches, one list held at a time. Each side runs in a process of its own
// (best of three), so each peak memory is that side's alone. Prints figures; asserts nothing.

#include "BenchSupport.h"
#include "db/Database.h"
#include "lists/MovementLists.h"
#include "lists/RecordList.h"
#include "sync/Pendencias.h"
#include "sync/PendingPeriods.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

using namespace tavro;

namespace {

constexpr int Repetitions = 3;
const QString Unit = QStringLiteral("1");

double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// Fills every list the registration list reads, as it searches them, one at a time.
qint64 fillEveryList(Database &db)
{
    qint64 rows = 0;
    for (const Period &period : pendingMonths(db, Unit, Unit)) {
        for (const MovementKind kind : AllMovementKinds) {
            ListSearch search;
            search.kind = kind;
            search.unidade = Unit;
            search.period = period;
            search.status = StatusBoxes{false, false, false, false, false};
            search.exibirSemCodigo = true;
            const QStringList days = kind == MovementKind::Estoque ? pendingStockDays(db, Unit, period)
                                                                   : QStringList{QString()};
            for (const QString &dia : days) {
                search.dia = dia;
                const std::unique_ptr<RecordList> list(newMovementList(kind, nullptr));
                fillMovementList(db, search, *list);
                rows += list->rowCount();
                db.rollback();
            }
        }
    }
    return rows;
}

// One side in this process: "<ms> <peak MB> <rows or pending>" on standard output.
int runSide(const QString &database, const QString &side)
{
    Database db;
    db.open(database);
    QElapsedTimer timer;
    timer.start();
    qint64 count = 0;
    if (side == QLatin1String("fill")) {
        count = fillEveryList(db);
    } else {
        PendenciasRequest request;
        request.unidades = {Unit};
        count = listPendencias(db, request).recusados;
    }
    std::printf("%lld %.1f %lld\n", timer.elapsed(), peakMegabytes(), count);
    return 0;
}

struct Figures
{
    qint64 ms = std::numeric_limits<qint64>::max();
    double peak = 0;
    qint64 count = 0;
};

Figures measure(const QString &database, const QString &side)
{
    Figures best;
    for (int i = 0; i < Repetitions; ++i) {
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(), {database, side});
        process.waitForFinished(-1);
        const QList<QByteArray> parts = process.readAllStandardOutput().trimmed().split(' ');
        if (process.exitCode() != 0 || parts.size() != 3) {
            std::fprintf(stderr, "%s failed: %s\n", qPrintable(side), process.readAllStandardError().constData());
            std::exit(1);
        }
        best.ms = std::min(best.ms, parts.at(0).toLongLong());
        best.peak = best.peak == 0 ? parts.at(1).toDouble() : std::min(best.peak, parts.at(1).toDouble());
        best.count = parts.at(2).toLongLong();
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = bench::benchArguments("pendencias_bench DATABASE", 1);
    if (args.isEmpty())
        return 2;
    if (args.size() == 2)
        return runSide(args.at(0), args.at(1));
    const Figures fill = measure(args.at(0), QStringLiteral("fill"));
    const Figures pendencias = measure(args.at(0), QStringLiteral("pendencias"));
    std::printf("pendencias_bench, unit %s (best of %d, each in a process of its own)\n", qPrintable(Unit),
                Repetitions);
    std::printf("  %-36s %8lld ms  %8.1f MB peak  (%lld rows)\n", "list fill of every list it reads", fill.ms,
                fill.peak, fill.count);
    std::printf("  %-36s %8lld ms  %8.1f MB peak  (%lld rows pending)\n", "pendencias", pendencias.ms, pendencias.peak,
                pendencias.count);
    std::printf("pendencias / list fill: %.2f\n", double(pendencias.ms) / double(std::max<qint64>(1, fill.ms)));
    std::printf("pendencias memory / list fill: %.2f\n", pendencias.peak / std::max(0.1, fill.peak));
    return 0;
}
