#pragma once

#include "service/Enumerations.h"

#include <QString>

#include <optional>

namespace tavro {

// The code text of an inconsistency code ("E025" for ordinal 7); empty for a value
// outside the 36 codes of the catalogue.
QString retornaerro(CodigoInconsistenciaType codigo);

// The code text of an inconsistency's received `codigo`: the catalogue's code (matched
// without regard to letter case; an empty element reads as the first code, as for any
// enumeration), "Erro não catalogado: " + the code for one the catalogue lacks, and
// empty when the answer carried none.
QString codigoErro(const std::optional<QString> &codigo);
inline const QString UncataloguedCodePrefix = QStringLiteral("Erro não catalogado: ");

// The one complaint the follow-up does not count as an inconsistency: the record is
// already in the service's definitive database.
inline const QString DuplicateCode = QStringLiteral("E025");
inline const QString DuplicateMessage = QStringLiteral("O registro já está cadastrado na base de dados definitiva");

// Both the code and the message must match exactly.
bool isDuplicate(const QString &codigoErro, const QString &mensagem);

} // namespace tavro
