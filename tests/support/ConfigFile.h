#pragma once

#include <QString>
#include <QStringList>

namespace tavro::test {

// A transmitter's config.ini as the suites and the benchmarks write it: section GERAL naming
// the database and the pharmacy, then section TAVRO. A file edited on Windows ends its lines
// in "\r\n"; `lineEnd` says which.
struct ConfigFile
{
    explicit ConfigFile(const QString &database = QString())
        : database(database)
    {
    }

    QString database;
    // "Key=value" lines of TAVRO; the demo's month, January 2019, unless replaced.
    QStringList tavro{QStringLiteral("DataInicial=01/01/2019"), QStringLiteral("DataFinal=31/01/2019")};
    QStringList geral; // more keys of GERAL, after the pharmacy's
    QString ibge = QStringLiteral("3550308");
    QString lineEnd = QStringLiteral("\n");
};

// Writes `config` to `path`, replacing what was there, and returns `path`. Throws when the
// file cannot be written.
QString writeConfig(const QString &path, const ConfigFile &config);
// Adds `keys` at the end of the file at `path`, so into its last section.
void appendConfig(const QString &path, const QStringList &keys, const QString &lineEnd = QStringLiteral("\n"));

} // namespace tavro::test
