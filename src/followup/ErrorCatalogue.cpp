#include "followup/ErrorCatalogue.h"

namespace tavro {

QString retornaerro(CodigoInconsistenciaType codigo)
{
    const QStringList &codes = literalsOf<CodigoInconsistenciaType>();
    const int ordinal = static_cast<int>(codigo);
    return ordinal >= 0 && ordinal < codes.size() ? codes.at(ordinal) : QString();
}

QString codigoErro(const std::optional<QString> &codigo)
{
    if (!codigo)
        return QString();
    const QStringList &codes = literalsOf<CodigoInconsistenciaType>();
    if (codigo->isEmpty())
        return retornaerro(CodigoInconsistenciaType{});
    for (qsizetype ordinal = 0; ordinal < codes.size(); ++ordinal) {
        if (codes.at(ordinal).compare(*codigo, Qt::CaseInsensitive) == 0)
            return retornaerro(static_cast<CodigoInconsistenciaType>(ordinal));
    }
    return UncataloguedCodePrefix + *codigo;
}

bool isDuplicate(const QString &codigoErro, const QString &mensagem)
{
    return codigoErro == DuplicateCode && mensagem == DuplicateMessage;
}

} // namespace tavro
