#include "session/AppConfig.h"

#include <QCoreApplication>
#include <QDir>

namespace tavro {

StartupConfig readStartupConfig(const IniFile &ini)
{
    using namespace ConfigKey;
    StartupConfig config;
    config.database = ini.value(Geral, Database);
    config.ibge = ini.value(Geral, Ibge).left(7);
    config.cnesFarmacia = ini.value(Geral, CnesFarmacia);
    config.dataInicial = ini.value(Tavro, DataInicial, DefaultDataInicial);
    config.dataFinal = ini.value(Tavro, DataFinal, DefaultDataFinal);
    return config;
}

QString defaultConfigPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("config.ini"));
}

QString programLogFolder()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Tavro"));
}

} // namespace tavro
