// sync_bench DATABASE [LOTE]: `tavro-cli sincronizar` over a copy of the large benchmark
// database against tavro-sim, next to the same work done by the separate verbs on another
// copy (transmitir of each stock day and each kind, then verificar): wall time and peak
// memory (maximum resident set) of each process, and the peak of sending the dispensations
// next to the peak of only filling their list (listar on the same copy, before it sends).
// Prints figures; asserts nothing.

#include "BenchSupport.h"
#include "ConfigFile.h"

#include "db/Database.h"
#include "sync/PendingPeriods.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

using namespace tavro;

namespace {

const QString FirstDay = QStringLiteral("01/01/2019");
const QString LastDay = QStringLiteral("28/02/2019");
const QString Walks = QStringLiteral("2"); // tavro-sim answers "waiting" once by default

struct Measure
{
    QString what;
    double seconds = 0;
    long peakKb = 0;
    int exitCode = -1;
};

// Runs `program` (a copy of tavro-cli) to its end; its output goes to `log`.
Measure runCli(const QString &program, const QString &what, const QStringList &arguments, const QString &log)
{
    std::vector<QByteArray> bytes;
    bytes.push_back(program.toLocal8Bit());
    for (const QString &argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray logPath = log.toLocal8Bit();
    posix_spawn_file_actions_addopen(&actions, 1, logPath.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);

    Measure measure{what};
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv.front(), &actions, nullptr, argv.data(), environ) != 0)
        return measure;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    measure.seconds = clock.nsecsElapsed() / 1e9;
    measure.peakKb = usage.ru_maxrss;
    measure.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    return measure;
}

// tavro-sim with its request lines in a file, so nothing it prints waits for a reader.
QString startSim(QProcess &sim, const QString &log)
{
    sim.setStandardOutputFile(log);
    sim.start(QStringLiteral(TAVRO_SIM),
              {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--usuario"),
               bench::BenchLogin.TavroUsuarioSessao, QStringLiteral("--senha"), bench::BenchLogin.TavroSenhaSessao});
    for (int i = 0; i < 100; ++i) {
        QFile file(log);
        if (file.open(QIODevice::ReadOnly)) {
            const QString first = QString::fromUtf8(file.readLine()).trimmed();
            if (first.startsWith(QLatin1String("listening on")))
                return QStringLiteral("http://127.0.0.1:") + first.section(QLatin1Char(':'), -1);
        }
        QThread::msleep(50);
    }
    return QString();
}

QString cliCopy(const QString &folder, const QString &name)
{
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral("/tavro-cli");
    QDir().mkpath(folder + QLatin1Char('/') + name);
    QFile::copy(QStringLiteral(TAVRO_CLI), path);
    return path;
}

// A config.ini of `database` and the service at `origin`, without a period of its own.
QString writeConfig(const QString &path, const QString &database, const QString &origin)
{
    test::ConfigFile config{database};
    config.tavro = QStringList{QStringLiteral("Servidor=") + origin, QStringLiteral("Namespace=http://tavro.example"),
                               QStringLiteral("TempoLimite=120")};
    return test::writeConfig(path, config);
}

// What both runs leave in the database, to see they did the same work.
QString outcome(const QString &database)
{
    Database db;
    db.open(database);
    db.startTransaction();
    QStringList parts;
    for (const char *sql : {"select count(*) from TavroProtocolos",
                            "select count(*) from TavroProtocolos where Situacao in ('Aguardando', 'Finalizado')",
                            "select count(*) from conciliacao where TavroProtocolo is not null",
                            "select count(*) from itensentradas where TavroProtocolo is not null",
                            "select count(*) from itenssaidas where TavroProtocolo is not null"}) {
        SqlCursor cursor = db.select(SqlStatement{QString::fromLatin1(sql)});
        parts.append(cursor.next() ? cursor.text(0) : QStringLiteral("?"));
    }
    db.rollback();
    return parts.join(QLatin1Char('/'));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = bench::benchArguments("sync_bench DATABASE [LOTE]", 1);
    if (args.isEmpty())
        return 2;
    const QString lote = args.value(1, QStringLiteral("500"));
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QStringList copies = bench::copyDatabase(args.at(0), dir.path(), {"sincronizar.fdb", "verbos.fdb"});
    if (copies.isEmpty())
        return 1;
    const QString together = copies.at(0);
    const QString separate = copies.at(1);
    QProcess sim;
    const QString origin = startSim(sim, dir.filePath(QStringLiteral("sim.log")));
    const QString cliLog = dir.filePath(QStringLiteral("cli.log"));
    qputenv("TAVRO_SENHA", "tavro2019");
    const QStringList login{QStringLiteral("--usuario"), QStringLiteral("FARMACIA")};

    // Each half runs its own copy of tavro-cli, so each logs into a folder of its own: the verbs
    // that write recover the accepted batches of their log folder, which must not be the other
    // half's.
    const QString programA = cliCopy(dir.path(), QStringLiteral("a"));
    const QString programB = cliCopy(dir.path(), QStringLiteral("b"));
    const QString configA = writeConfig(dir.filePath(QStringLiteral("a.ini")), together, origin);
    const Measure sync = runCli(
        programA, QStringLiteral("sincronizar"),
        QStringList{"--config", configA} + login
            + QStringList{"sincronizar", "--de", FirstDay, "--ate", LastDay, "--lote", lote, "--vezes", Walks},
        cliLog);

    // The same work, one verb at a time: every stock day with positions to send, each kind
    // over the period, then the walk.
    const QString configB = writeConfig(dir.filePath(QStringLiteral("b.ini")), separate, origin);
    QStringList days;
    {
        Database db;
        db.open(separate);
        days = pendingStockDays(db, QStringLiteral("2345678"), tavro::Period{FirstDay, LastDay});
    }
    const QStringList common = QStringList{"--config", configB} + login;
    const QStringList runs{"--lote", lote, "--vezes", "100000"};
    // The list alone, as `transmitir dispensacoes` fills it before its first batch.
    const Measure fill = runCli(programB, QStringLiteral("listar dispensacoes"),
                                common + QStringList{"listar", "dispensacoes", "--de", FirstDay, "--ate", LastDay},
                                cliLog);
    QList<Measure> verbs;
    for (const QString &day : days) {
        verbs.append(runCli(programB, QStringLiteral("transmitir estoque ") + day,
                            common + QStringList{"transmitir", "estoque", "--dia", day} + runs, cliLog));
    }
    for (const char *kind : {"entradas", "saidas", "dispensacoes", "sem-cartao"}) {
        verbs.append(runCli(
            programB, QStringLiteral("transmitir ") + QLatin1String(kind),
            common + QStringList{"transmitir", QString::fromLatin1(kind), "--de", FirstDay, "--ate", LastDay} + runs,
            cliLog));
    }
    verbs.append(
        runCli(programB, QStringLiteral("verificar"), common + QStringList{"verificar", "--vezes", Walks}, cliLog));
    sim.kill();
    sim.waitForFinished();

    double sum = 0;
    long largest = 0;
    long sendingDispensations = 0;
    const auto print = [&out](const Measure &m) {
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(m.what, -32)
                   .arg(m.seconds, 9, 'f', 2)
                   .arg(m.peakKb / 1024.0, 9, 'f', 1)
                   .arg(m.exitCode, 5);
    };
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("process"), -32)
               .arg("seconds", 9)
               .arg("peak MB", 9)
               .arg("exit", 5);
    print(fill);
    for (const Measure &m : verbs) {
        print(m);
        sum += m.seconds;
        largest = std::max(largest, m.peakKb);
        if (m.what == QLatin1String("transmitir dispensacoes"))
            sendingDispensations = m.peakKb;
    }
    out << QStringLiteral("%1 %2 %3\n")
               .arg(QStringLiteral("separate verbs: sum / largest"), -32)
               .arg(sum, 9, 'f', 2)
               .arg(largest / 1024.0, 9, 'f', 1);
    print(sync);
    out << QStringLiteral("time ratio sincronizar / sum of verbs: %1 (target <= 1.10)\n")
               .arg(sync.seconds / sum, 0, 'f', 3);
    out << QStringLiteral("peak memory ratio sincronizar / largest verb: %1 (target <= 1.00)\n")
               .arg(double(sync.peakKb) / largest, 0, 'f', 3);
    // Alone on its line, for scripts (target <= 1.15).
    out << QStringLiteral("peak memory, transmitir dispensacoes / list fill: %1\n")
               .arg(double(sendingDispensations) / fill.peakKb, 0, 'f', 3);
    out << "protocols/open/stock/received/issued sent: sincronizar " << outcome(together) << ", verbs "
        << outcome(separate) << "\n";
    return 0;
}
