#pragma once

#include <QNetworkReply>
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
} // namespace ErrorHint

// The message followed, when there is one, by its hint on a line of its own.
QString withHint(const QString &message, const QString &hint);

// The hint for a request that got no HTTP answer at all; empty when the failure is not
// one of the connection's.
QString networkErrorHint(QNetworkReply::NetworkError error);
// The hint for an HTTP status the service answered with; empty for the others.
QString httpStatusHint(int status);
// The hint for a SOAP fault's text; empty unless the fault refuses the credentials.
QString faultHint(const QString &faultText);

} // namespace tavro
