#include "session/DataFolder.h"

#include "common/Error.h"
#include "common/PrivateFile.h"
#include "session/AppConfig.h"
#include "session/IniFile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

namespace tavro {

QString DataFolder::logFolder() const
{
    return QDir(path).filePath(QStringLiteral("Tavro"));
}

QString DataFolder::originText() const
{
    // In the order of Origin.
    static const char *const texts[] = {"chave PastaDados", "ao lado do programa", "compartilhada", "pessoal"};
    return QString::fromUtf8(texts[int(origin)]);
}

void prepareDataFolder(const DataFolder &folder)
{
    const auto refuse = [&](const QString &path, const QString &reason) {
        throw Error(QStringLiteral("Não foi possível usar a pasta de dados %1 (%2): %3. Nada foi enviado.")
                        .arg(path, folder.originText(), reason));
    };
    if (QDir::isRelativePath(folder.path))
        refuse(folder.path, QStringLiteral("informe o caminho completo"));
    for (const QString &path : {folder.path, folder.logFolder()}) {
        QString reason;
        if (!makePrivateFolder(path, &reason))
            refuse(path, reason);
        if (::access(QFile::encodeName(path).constData(), W_OK | X_OK) != 0)
            refuse(path, systemReason(errno));
    }
}

QString openFolderWarning(const DataFolder &folder)
{
    const QFileDevice::Permissions others = QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    QStringList checked{folder.logFolder()};
    if (folder.origin != DataFolder::Origin::BesideProgram)
        checked.prepend(folder.path);
    for (const QString &path : std::as_const(checked)) {
        if (QFileInfo(path).permissions() & others)
            return QStringLiteral("Aviso: outras contas podem ler a pasta de dados %1, que guarda dados de pacientes; "
                                  "corrija com: chmod -R o-rwx %1")
                .arg(path);
    }
    return QString();
}

int logRetentionDays(const IniFile &ini)
{
    const QString text = ini.value(ConfigKey::Tavro, ConfigKey::DiasRegistros).trimmed();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    const int days = text.toInt(&ok);
    if (!ok || days < 0)
        throw Error(QStringLiteral("Valor inválido em DiasRegistros: '%1' (um número de dias; 0 guarda todos os "
                                   "registros)")
                        .arg(text));
    return days;
}

} // namespace tavro
