#include "BenchSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

namespace tavro::bench {

QString sqlText(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

QString startSim(QProcess &sim, const QStringList &arguments)
{
    sim.start(QStringLiteral(TAVRO_SIM), QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments
                                             + QStringList{QStringLiteral("--usuario"), BenchLogin.TavroUsuarioSessao,
                                                           QStringLiteral("--senha"), BenchLogin.TavroSenhaSessao});
    sim.waitForReadyRead(5000);
    const QString port = QString::fromUtf8(sim.readLine()).trimmed().section(QLatin1Char(':'), -1);
    sim.setReadChannel(QProcess::StandardError); // its request lines are not needed
    return QStringLiteral("http://127.0.0.1:") + port;
}

IsqlRun runIsqlScript(const QString &database, const QStringList &statements)
{
    QFile script(database + QStringLiteral(".sql"));
    script.open(QIODevice::WriteOnly);
    script.write((QStringLiteral("set names utf8;\nconnect '%1' user 'SYSDBA' password 'plumtrove';\n").arg(database)
                  + statements.join(QLatin1Char('\n')) + QLatin1Char('\n'))
                     .toUtf8());
    script.close();
    QProcess isql;
    QElapsedTimer clock;
    clock.start();
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-i"), script.fileName()});
    isql.waitForFinished(-1);
    IsqlRun run;
    run.ms = clock.nsecsElapsed() / 1e6;
    run.exitCode = isql.exitCode();
    run.errors = isql.readAllStandardError();
    return run;
}

} // namespace tavro::bench
