#include "ConfigFile.h"

#include <QFile>

#include <stdexcept>

namespace tavro::test {

namespace {

void write(const QString &path, QIODevice::OpenMode mode, const QStringList &lines, const QString &lineEnd)
{
    QFile file(path);
    if (!file.open(mode))
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
    for (const QString &line : lines)
        file.write((line + lineEnd).toUtf8());
}

} // namespace

QString writeConfig(const QString &path, const ConfigFile &config)
{
    const QStringList lines = QStringList{QStringLiteral("[GERAL]"), QStringLiteral("DATABASE=") + config.database,
                                          QStringLiteral("IBGE=") + config.ibge, QStringLiteral("CNESFARMACIA=2345678")}
        + config.geral + QStringList{QString(), QStringLiteral("[TAVRO]")} + config.tavro;
    write(path, QIODevice::WriteOnly | QIODevice::Truncate, lines, config.lineEnd);
    return path;
}

void appendConfig(const QString &path, const QStringList &keys, const QString &lineEnd)
{
    write(path, QIODevice::Append, keys, lineEnd);
}

} // namespace tavro::test
