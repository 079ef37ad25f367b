#include "session/DatabaseAccount.h"

#include "common/Error.h"
#include "session/AppConfig.h"
#include "session/ConfigPlaces.h"
#include "session/PasswordFile.h"

#include <QFileInfo>

namespace tavro {

DatabaseLogin readDatabaseLogin(const IniFile &ini)
{
    DatabaseLogin login = Database::defaultLogin();
    login.userName = ini.value(ConfigKey::Geral, ConfigKey::UsuarioBanco, login.userName);
    const QString passwordFile = ini.value(ConfigKey::Geral, ConfigKey::SenhaBancoArquivo);
    login.password = passwordFile.isEmpty() ? ini.value(ConfigKey::Geral, ConfigKey::SenhaBanco, login.password)
                                            : readPasswordFile(passwordFile);
    const QString charset = ini.value(ConfigKey::Geral, ConfigKey::CharsetBanco);
    if (!charset.trimmed().isEmpty()) {
        const std::optional<CodePage> codePage = codePageNamed(charset);
        if (!codePage)
            throw Error(QStringLiteral("CharsetBanco=%1 não é uma página de código conhecida; use WIN1252, ISO8859_1 "
                                       "ou UTF8 (seção [GERAL] do config.ini).")
                            .arg(charset.trimmed()));
        login.codePage = *codePage;
    }
    return login;
}

QString databaseNotFoundText(const QString &database, const ConfigPlaces &places)
{
    if (!database.isEmpty())
        return DatabaseNotFoundMessage + database;
    QStringList files;
    for (const QString &file : places.underlying + QStringList{places.config})
        files.append(QFileInfo::exists(file) ? file : QStringLiteral("%1 (não existe)").arg(file));
    return DatabaseNotFoundMessage
        + QStringLiteral("\nNenhum arquivo de configuração lido informa o banco: %1. Informe-o na chave DATABASE "
                         "da seção [GERAL] (um arquivo, ou servidor/porta:caminho).")
              .arg(files.join(QStringLiteral(", ")));
}

} // namespace tavro
