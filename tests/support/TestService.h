#pragma once

#include "service/ServiceSettings.h"
#include "service/SoapClient.h"
#include "session/Login.h"

#include <QStringList>

#include <memory>

namespace tavro::test {

// The namespace base and web-service login that tests and their substitute share.
inline const QString TestNamespace = QStringLiteral("urn:tavro-test");
inline const LoginValues TestLogin{QStringLiteral("FARMACIA"), QStringLiteral("farmacia.ws"),
                                   QStringLiteral("segredo-ws")};

// tavro-sim's arguments: `extra`, then the namespace and `login`'s web-service credentials.
QStringList simArguments(const LoginValues &login, const QStringList &extra = {});
// A local port the system just handed out and took back, so nothing listens on it.
quint16 unusedPort();
// "http://127.0.0.1:PORT", or with the given scheme.
QString localOrigin(quint16 port, const QString &scheme = QStringLiteral("http"));

// A client of the service at `origin` under the test namespace. `login` stays the
// caller's, as the client keeps referring to it.
std::unique_ptr<SoapClient> makeClient(
    HttpTransport &transport, const QString &origin, const QString &logFolder, const LoginValues &login,
    int tempoLimite = ServiceSettings::DefaultTempoLimite,
    SoapClient::Clock clock = [] { return QDateTime::currentDateTime(); });

} // namespace tavro::test
