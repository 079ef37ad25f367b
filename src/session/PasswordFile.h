#pragma once

#include <QString>

namespace tavro {

// The operator's password kept in a file for scheduled runs: its first line. The file
// must be readable by its owner only; one that its group or others may read (or that
// cannot be read) is refused with an Error saying so.
QString readPasswordFile(const QString &path);

} // namespace tavro
