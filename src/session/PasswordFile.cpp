#include "session/PasswordFile.h"

#include "common/Error.h"

#include <QFile>
#include <QFileInfo>

namespace tavro {

QString readPasswordFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw Error(QStringLiteral("Arquivo de senha não encontrado: %1").arg(path));
    if (info.permissions()
        & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther)) {
        throw Error(QStringLiteral("O arquivo de senha %1 pode ser lido ou alterado por outros usuários; "
                                   "deixe-o acessível só ao dono (chmod 600 %1).")
                        .arg(path));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Não foi possível ler o arquivo de senha %1: %2").arg(path, file.errorString()));
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

} // namespace tavro
