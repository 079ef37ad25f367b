#pragma once

#include "db/SqlStatement.h"
#include "session/Login.h"

#include <QString>
#include <QStringList>

class QProcess;

namespace tavro::bench {

// The command line after the program's name: the database to work on, then at most `most`
// optional arguments. Empty, after printing "usage: USAGE" on standard error, when the
// database is missing or more arguments follow.
QStringList benchArguments(const char *usage, int most);

// Copies `database` into `folder` once under each of `names`; returns the copies' paths, or
// none (after saying so on standard error) when one could not be made.
QStringList copyDatabase(const QString &database, const QString &folder, const QStringList &names);

// The web-service login the benchmarks start tavro-sim with and send under.
inline const LoginValues BenchLogin{QStringLiteral("FARMACIA"), QStringLiteral("farmacia.ws"),
                                    QStringLiteral("segredo-ws")};

// Starts tavro-sim in `sim` on a free local port with BenchLogin and `arguments`, and
// returns its origin ("http://127.0.0.1:PORT"). Its request lines are left unread.
QString startSim(QProcess &sim, const QStringList &arguments = {});

// isql-fb run on `database` (as SYSDBA, UTF-8) with `statements` as one script, timed
// from its start to its end.
struct IsqlRun
{
    double ms = 0;
    int exitCode = 0;
    QByteArray errors; // what isql-fb wrote to its standard error
};
IsqlRun runIsqlScript(const QString &database, const QStringList &statements);

// The statement's text with its parameters written in as literals, for isql.
QString literalSql(const SqlStatement &statement);

// The best of `repetitions` runs of isql-fb (a fresh process each) on `sql` with its output
// thrown away, in milliseconds; exits the program when isql-fb fails.
qint64 bestIsql(const QString &database, const QString &sql, int repetitions);

} // namespace tavro::bench
