#include "service/ErrorHint.h"

namespace tavro {

QString withHint(const QString &message, const QString &hint)
{
    return hint.isEmpty() ? message : message + QLatin1Char('\n') + hint;
}

QString hintFirst(const QString &message, const QString &hint)
{
    return hint.isEmpty() ? message : QStringLiteral("%1 (%2)").arg(hint, message);
}

QString httpStatusHint(int status)
{
    if (status == 407)
        return ErrorHint::ProxyRecusado;
    return status == 401 || status == 403 ? ErrorHint::UsuarioRecusado : QString();
}

QString faultHint(const QString &faultText)
{
    // A fault names no code for a refused login: it is known by its words, in Portuguese
    // or in the English of the service's framework.
    const QString text = faultText.toLower();
    const bool aboutLogin = text.contains(QLatin1String("senha")) || text.contains(QStringLiteral("usuário"))
        || text.contains(QLatin1String("usuario")) || text.contains(QLatin1String("credencia"))
        || text.contains(QLatin1String("password")) || text.contains(QLatin1String("credential"));
    const bool refused = text.contains(QStringLiteral("inválid")) || text.contains(QLatin1String("invalid"))
        || text.contains(QLatin1String("incorret")) || text.contains(QStringLiteral("não autorizado"))
        || text.contains(QLatin1String("negad"));
    return aboutLogin && refused ? ErrorHint::UsuarioRecusado : QString();
}

} // namespace tavro
