#pragma once

#include "service/Enumerations.h"

#include <QString>

namespace tavro {

// The code text of an inconsistency code ("E025" for ordinal 7); empty for a value
// outside the 36 codes of the catalogue.
QString retornaerro(CodigoInconsistenciaType codigo);

// The one complaint the follow-up does not count as an inconsistency: the record is
// already in the service's definitive database.
inline const QString DuplicateCode = QStringLiteral("E025");
inline const QString DuplicateMessage = QStringLiteral("O registro já está cadastrado na base de dados definitiva");

// Both the code and the message must match exactly.
bool isDuplicate(const QString &codigoErro, const QString &mensagem);

} // namespace tavro
