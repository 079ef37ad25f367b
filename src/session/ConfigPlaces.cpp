#include "session/ConfigPlaces.h"

#include "session/AppConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavro {

namespace {

const QString ConfigName = QStringLiteral("config.ini");

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
    roots.programFolderWritable = !roots.programFolder.startsWith(QLatin1String("/usr/"))
        && QFileInfo(roots.programFolder).isWritable();
    roots.systemConfig = QStringLiteral("/etc/tavro/") + ConfigName;
    roots.sharedData = QStringLiteral("/var/lib/tavro");
    const QFileInfo shared(roots.sharedData);
    roots.sharedDataWritable = shared.isDir() && shared.isWritable();
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
    return lines + dataFolderLines();
}

QStringList ConfigPlaces::dataFolderLines() const
{
    return {QStringLiteral("Pasta de dados: %1 (%2)").arg(data.path, data.originText()),
            QStringLiteral("Registros do serviço em: %1").arg(logFolder())};
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
    const QString key = places.ini().value(ConfigKey::Tavro, ConfigKey::PastaDados).trimmed();
    if (!key.isEmpty())
        places.data = {QDir::cleanPath(key), DataFolder::Origin::Key};
    else if (roots.programFolderWritable)
        places.data = {roots.programFolder, DataFolder::Origin::BesideProgram};
    else if (roots.sharedDataWritable)
        places.data = {roots.sharedData, DataFolder::Origin::Shared};
    else
        places.data = {roots.userData, DataFolder::Origin::Personal};
    return places;
}

} // namespace tavro
