#include "followup/ErrorCatalogue.h"

namespace tavro {

QString retornaerro(CodigoInconsistenciaType codigo)
{
    const QStringList &codes = literalsOf<CodigoInconsistenciaType>();
    const int ordinal = static_cast<int>(codigo);
    return ordinal >= 0 && ordinal < codes.size() ? codes.at(ordinal) : QString();
}

bool isDuplicate(const QString &codigoErro, const QString &mensagem)
{
    return codigoErro == DuplicateCode && mensagem == DuplicateMessage;
}

} // namespace tavro
