#pragma once

#include "common/Period.h"

#include "session/IniFile.h"

#include <QString>

namespace tavro {

// The keys of config.ini and their defaults.
namespace ConfigKey {
inline const QString Geral = QStringLiteral("GERAL");
inline const QString Database = QStringLiteral("DATABASE");
inline const QString Ibge = QStringLiteral("IBGE");
inline const QString CnesFarmacia = QStringLiteral("CNESFARMACIA");
inline const QString UsuarioBanco = QStringLiteral("UsuarioBanco");
inline const QString SenhaBanco = QStringLiteral("SenhaBanco");
inline const QString SenhaBancoArquivo = QStringLiteral("SenhaBancoArquivo");
inline const QString CharsetBanco = QStringLiteral("CharsetBanco");
inline const QString Tavro = QStringLiteral("TAVRO");
inline const QString DataInicial = QStringLiteral("DataInicial");
inline const QString DataFinal = QStringLiteral("DataFinal");
inline const QString PastaDados = QStringLiteral("PastaDados");
inline const QString DiasRegistros = QStringLiteral("DiasRegistros");
inline const QString DefaultDataInicial = QStringLiteral("01/01/2019");
inline const QString DefaultDataFinal = QStringLiteral("31/01/2019");
} // namespace ConfigKey

// Shown, followed by the database name, when start-up cannot open the database.
inline const QString DatabaseNotFoundMessage = QStringLiteral("Não encontrado arquivo de banco de dados em ");

// What start-up reads from config.ini.
struct StartupConfig
{
    QString database;
    QString ibge; // first 7 characters
    QString cnesFarmacia;
    Period period;
};

StartupConfig readStartupConfig(const IniFile &ini);

} // namespace tavro
