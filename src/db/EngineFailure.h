#pragma once

#include <ibase.h>

#include <QString>

#include <initializer_list>

namespace tavro {

// Whether the engine's status carries one of `codes` (isc_login, isc_io_error, ...).
bool hasCode(const ISC_STATUS *status, std::initializer_list<ISC_STATUS> codes);

// The engine's own text of a failure, its lines joined by `separator`.
QString engineText(const ISC_STATUS *status, const QString &separator = QStringLiteral("\n"));

// What a clerk or an administrator reads first of a failure they can act on, in Portuguese
// (a refused login, a missing file, a server out of reach, a full disk, a database another
// program holds); empty for the others, whose engine text stands alone. `database` and
// `user` name what was opened, when known.
QString engineReason(const ISC_STATUS *status, const QString &database = QString(), const QString &user = QString());

} // namespace tavro
