#include "TestService.h"

#include <QTcpServer>

namespace tavro::test {

QStringList simArguments(const LoginValues &login, const QStringList &extra)
{
    return extra + QStringList{QStringLiteral("--namespace"), TestNamespace,
                               QStringLiteral("--usuario"),   login.TavroUsuarioSessao,
                               QStringLiteral("--senha"),     login.TavroSenhaSessao};
}

quint16 unusedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

QString localOrigin(quint16 port, const QString &scheme)
{
    return QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(port);
}

std::unique_ptr<SoapClient> makeClient(HttpTransport &transport, const QString &origin, const QString &logFolder,
                                       const LoginValues &login, int tempoLimite, SoapClient::Clock clock)
{
    ServiceSettings settings;
    settings.Servidor = origin;
    settings.Namespace = TestNamespace;
    settings.TempoLimite = tempoLimite;
    return std::make_unique<SoapClient>(transport, settings, logFolder, std::move(clock), login);
}

} // namespace tavro::test
