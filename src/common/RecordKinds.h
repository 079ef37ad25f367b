#pragma once

#include <QString>

namespace tavro {

// The kind of a protocol as stored in TavroProtocolos.Tipo.
namespace Tipo {
inline const QString Estoque = QStringLiteral("Estoque");
inline const QString Entrada = QStringLiteral("Entrada");
inline const QString Saida = QStringLiteral("Saída");
inline const QString Dispensacao = QStringLiteral("Dispensação");
} // namespace Tipo

} // namespace tavro
