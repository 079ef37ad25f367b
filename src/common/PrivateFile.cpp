#include "common/PrivateFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tavro {

namespace {

constexpr mode_t FileMode = 0660;
constexpr mode_t FolderMode = 02770;
constexpr QFileDevice::Permissions FilePermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::WriteGroup;

// The umask may have taken the group's write, which the other accounts of a shared folder
// need; an existing file keeps what it has, less anything for others.
void restrict(int fd, bool created)
{
    struct stat status
    {
    };
    if (fstat(fd, &status) != 0)
        return;
    const mode_t wanted = created ? FileMode : (status.st_mode & 07770);
    if ((status.st_mode & 07777) != wanted)
        (void)fchmod(fd, wanted); // a file of another account keeps its mode
}

} // namespace

QString systemReason(int error)
{
    static const std::pair<int, const char *> reasons[] = {
        {EACCES, "sem permissão"},
        {EPERM, "sem permissão"},
        {ENOENT, "não existe"},
        {ENOTDIR, "parte do caminho não é uma pasta"},
        {EEXIST, "já existe um arquivo com esse nome"},
        {EROFS, "o sistema de arquivos é somente leitura"},
        {ENOSPC, "não há espaço no disco"},
    };
    for (const auto &[code, reason] : reasons) {
        if (code == error)
            return QString::fromUtf8(reason);
    }
    return QString::fromLocal8Bit(std::strerror(error));
}

bool openPrivate(QFile &file, QIODevice::OpenMode mode)
{
    const bool existed = QFileInfo::exists(file.fileName());
    if (!file.open(mode, FilePermissions))
        return false;
    restrict(file.handle(), !existed);
    return true;
}

bool makePrivateFolder(const QString &path, QString *reason)
{
    const QString target = QDir::cleanPath(QDir(path).absolutePath());
    QStringList missing;
    for (QString at = target; !QFileInfo::exists(at);) {
        missing.prepend(at);
        const QString parent = QFileInfo(at).path();
        if (parent == at)
            break;
        at = parent;
    }
    for (const QString &folder : std::as_const(missing)) {
        const QByteArray name = QFile::encodeName(folder);
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
            if (reason)
                *reason = systemReason(errno);
            return false;
        }
        // mkdir leaves the set-group-id bit out; chmod sets it.
        (void)::chmod(name.constData(), FolderMode);
    }
    if (!QFileInfo(target).isDir()) {
        if (reason)
            *reason = systemReason(ENOTDIR);
        return false;
    }
    return true;
}

bool writePrivateFile(const QString &path, const QByteArray &bytes, QString *reason)
{
    // A temporary file is born 0600; it gets the data folder's 0660 before it takes the name.
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    const auto fail = [&](int error) {
        if (reason)
            *reason = error ? systemReason(error) : file.errorString();
        return false;
    };
    errno = 0;
    if (!file.open())
        return fail(errno);
    restrict(file.handle(), true);
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail(errno);
    if (::fsync(file.handle()) != 0)
        return fail(errno);
    if (::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(errno);
    file.setAutoRemove(false);
    return true;
}

} // namespace tavro
