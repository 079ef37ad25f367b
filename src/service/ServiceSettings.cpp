#include "service/ServiceSettings.h"

#include "session/IniFile.h"

namespace tavro {

namespace {

QString withoutTrailingSlash(QString text)
{
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return text;
}

} // namespace

QString ServiceSettings::wsdlLocation() const
{
    return withoutTrailingSlash(Servidor) + WsdlPath + QStringLiteral("?wsdl");
}

QString ServiceSettings::asyncAddress() const
{
    return withoutTrailingSlash(Servidor) + AsyncPath;
}

QString ServiceSettings::typesNamespace() const
{
    return withoutTrailingSlash(Namespace) + TypesNamespaceSuffix;
}

ServiceSettings readServiceSettings(const IniFile &ini)
{
    ServiceSettings settings;
    const QString section = QStringLiteral("TAVRO");
    const QString servidor = ini.value(section, QStringLiteral("Servidor")).trimmed();
    if (!servidor.isEmpty())
        settings.Servidor = servidor;
    const QString base = ini.value(section, QStringLiteral("Namespace")).trimmed();
    if (!base.isEmpty())
        settings.Namespace = base;
    bool ok = false;
    const int seconds = ini.value(section, QStringLiteral("TempoLimite")).trimmed().toInt(&ok);
    if (ok && seconds > 0)
        settings.TempoLimite = seconds;
    const QString verify = ini.value(section, QStringLiteral("VerificarCertificado")).trimmed().toLower();
    settings.VerificarCertificado = verify == QLatin1String("1") || verify == QLatin1String("sim")
        || verify == QLatin1String("true");
    settings.Certificado = ini.value(section, QStringLiteral("Certificado")).trimmed();
    settings.Proxy = ini.value(section, QStringLiteral("Proxy")).trimmed();
    return settings;
}

} // namespace tavro
