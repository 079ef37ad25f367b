#include "session/AppConfig.h"

namespace tavro {

StartupConfig readStartupConfig(const IniFile &ini)
{
    using namespace ConfigKey;
    StartupConfig config;
    config.database = ini.value(Geral, Database);
    config.ibge = ini.value(Geral, Ibge).left(7);
    config.cnesFarmacia = ini.value(Geral, CnesFarmacia);
    config.period.dataInicial = ini.value(Tavro, DataInicial, DefaultDataInicial);
    config.period.dataFinal = ini.value(Tavro, DataFinal, DefaultDataFinal);
    return config;
}

} // namespace tavro
