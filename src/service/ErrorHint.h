#pragma once

#include <QString>

namespace tavro {

// The plain lines added to the service's technical errors, for a clerk to act on.
namespace ErrorHint {
inline const QString SemConexao = QStringLiteral(
    "Sem conexão com o serviço Tavro: verifique a internet e tente mais tarde.");
inline const QString SemResposta = QStringLiteral(
    "O serviço Tavro não respondeu a tempo: tente de novo mais tarde; se continuar, verifique a internet.");
inline const QString UsuarioRecusado = QStringLiteral("O serviço recusou o usuário do Tavro deste operador: confira o "
                                                      "usuário e a senha do web service no cadastro.");
inline const QString ProxyRecusado = QStringLiteral(
    "O proxy recusou o usuário ou a senha: confira [TAVRO] Proxy no config.ini.");
inline const QString ProxyInacessivel = QStringLiteral(
    "Sem conexão com o proxy: confira o endereço em [TAVRO] Proxy no config.ini (ou http_proxy e https_proxy, "
    "com \"sistema\") e se o proxy está no ar.");
} // namespace ErrorHint

// The message followed, when there is one, by its hint on a line of its own.
QString withHint(const QString &message, const QString &hint);
// For one line (a summary): the hint first, when there is one, and the technical message after it
// in parentheses.
QString hintFirst(const QString &message, const QString &hint);

// The hint for an HTTP status the service (or the proxy on its way) answered with; empty for the
// others.
QString httpStatusHint(int status);
// The hint for a SOAP fault's text; empty unless the fault refuses the credentials.
QString faultHint(const QString &faultText);

} // namespace tavro
