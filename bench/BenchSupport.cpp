#include "BenchSupport.h"

#include "db/Database.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tavro::bench {

namespace {

// A parameter as a literal: dates and day/month/year texts become ISO dates, which isql
// reads without regard to its date settings; other texts become quoted strings.
QString literal(const QVariant &value)
{
    const QString text = value.toString();
    const QDate date = value.typeId() == QMetaType::QDate ? value.toDate()
                                                          : QDate::fromString(text, QStringLiteral("dd/MM/yyyy"));
    if (date.isValid())
        return QLatin1Char('\'') + date.toString(Qt::ISODate) + QLatin1Char('\'');
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

// Milliseconds isql-fb takes to run the script in `scriptPath` with its output thrown away.
qint64 timeIsql(const QString &database, const QString &scriptPath)
{
    QProcess isql;
    isql.setStandardOutputFile(QProcess::nullDevice());
    isql.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    isql.start(QStringLiteral("isql-fb"),
               {QStringLiteral("-q"), QStringLiteral("-b"), QStringLiteral("-ch"), QStringLiteral("UTF8"),
                QStringLiteral("-user"), QString::fromLatin1(Database::UserName), QStringLiteral("-password"),
                QString::fromLatin1(Database::Password), QStringLiteral("-i"), scriptPath, database});
    if (!isql.waitForFinished(-1) || isql.exitStatus() != QProcess::NormalExit || isql.exitCode() != 0) {
        std::fprintf(stderr, "isql-fb failed on %s\n", qPrintable(scriptPath));
        std::exit(1);
    }
    return timer.elapsed();
}

} // namespace

QStringList benchArguments(const char *usage, int most)
{
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty() || arguments.size() > most + 1) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return {};
    }
    return arguments;
}

QStringList copyDatabase(const QString &database, const QString &folder, const QStringList &names)
{
    QStringList copies;
    for (const QString &name : names) {
        copies.append(folder + QLatin1Char('/') + name);
        if (!QFile::copy(database, copies.last())) {
            std::fprintf(stderr, "cannot copy %s to %s\n", qPrintable(database), qPrintable(copies.last()));
            return {};
        }
    }
    return copies;
}

QString startSim(QProcess &sim, const QStringList &arguments)
{
    sim.start(QStringLiteral(TAVRO_SIM),
              QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments
                  + QStringList{QStringLiteral("--usuario"), BenchLogin.TavroUsuarioSessao, QStringLiteral("--senha"),
                                BenchLogin.TavroSenhaSessao});
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

// The statement's text with its parameters written in as literals, for isql.
QString literalSql(const SqlStatement &statement)
{
    const PositionalSql positional = toPositional(statement.text());
    QString sql;
    int next = 0;
    QChar quote;
    for (const QChar c : positional.sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            sql += c;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            sql += c;
        } else if (c == QLatin1Char('?')) {
            sql += literal(statement.param(positional.names.at(next++)));
        } else {
            sql += c;
        }
    }
    return sql;
}

qint64 bestIsql(const QString &database, const QString &sql, int repetitions)
{
    QTemporaryFile script;
    if (!script.open()) {
        std::fprintf(stderr, "cannot write a temporary script\n");
        std::exit(1);
    }
    script.write(sql.toUtf8() + ";\n");
    script.flush();
    qint64 best = std::numeric_limits<qint64>::max();
    for (int i = 0; i < repetitions; ++i)
        best = std::min(best, timeIsql(database, script.fileName()));
    return best;
}

} // namespace tavro::bench
