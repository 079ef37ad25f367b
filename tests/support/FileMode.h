#pragma once

#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace tavro::test {

// The permission bits of a file or folder, set-group-id included; 0 when it is missing.
inline mode_t modeOf(const QString &path)
{
    struct stat status
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

} // namespace tavro::test
