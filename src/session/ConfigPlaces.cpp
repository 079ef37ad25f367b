#include "session/ConfigPlaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavro {

namespace {

const QString ConfigName = QStringLiteral("config.ini");
const QString LogFolderName = QStringLiteral("Tavro");

QString readLine(const QString &path)
{
    return QFileInfo::exists(path) ? QStringLiteral("Configuração lida de: %1").arg(path)
                                   : QStringLiteral("Configuração lida de: %1 (não existe)").arg(path);
}

} // namespace

PlaceRoots PlaceRoots::ofThisProgram()
{
    PlaceRoots roots;
    roots.programFolder = QCoreApplication::applicationDirPath();
    // A program installed under /usr never writes beside itself, not even when root runs it.
    const QFileInfo logs(QDir(roots.programFolder).filePath(LogFolderName));
    roots.programFolderWritable = !roots.programFolder.startsWith(QLatin1String("/usr/"))
        && (logs.exists() ? logs.isDir() && logs.isWritable() : QFileInfo(roots.programFolder).isWritable());
    roots.systemConfig = QStringLiteral("/etc/tavro/") + ConfigName;
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    roots.userConfig = home + QStringLiteral("/tavro/") + ConfigName;
    roots.userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/tavro");
    return roots;
}

QStringList ConfigPlaces::description() const
{
    QStringList lines;
    for (auto it = underlying.crbegin(); it != underlying.crend(); ++it)
        lines.append(readLine(*it));
    lines.append(readLine(config));
    lines.append(QStringLiteral("Configuração gravada em: %1").arg(config));
    lines.append(QStringLiteral("Registros do serviço em: %1").arg(logFolder));
    return lines;
}

ConfigPlaces findConfigPlaces(const QString &commandLineConfig, const PlaceRoots &roots)
{
    ConfigPlaces places;
    const QString beside = QDir(roots.programFolder).filePath(ConfigName);
    if (!commandLineConfig.isEmpty()) {
        places.config = commandLineConfig;
    } else if (QFileInfo(beside).isFile()) {
        places.config = beside;
    } else {
        places.config = roots.userConfig;
        places.underlying = {roots.systemConfig};
    }
    places.logFolder = roots.programFolderWritable ? QDir(roots.programFolder).filePath(LogFolderName)
                                                   : roots.userData + QLatin1Char('/') + LogFolderName;
    return places;
}

} // namespace tavro
