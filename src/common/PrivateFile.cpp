#include "common/PrivateFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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

namespace {

// Gives the temporary file `from` the name `to`, failing with EEXIST when `to` exists. Where
// the file system cannot rename without replacing, a hard link does it; where it has neither
// (some network shares), the name is checked first.
int renameKeeping(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    if (::access(to.constData(), F_OK) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

void syncFolderOf(const QString &path)
{
    // A file system that cannot sync a folder has kept the file itself.
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

} // namespace

bool writePrivateFile(const QString &path, const QByteArray &bytes, QString *reason, Existing existing, int *error)
{
    // A temporary file is born 0600; it gets the data folder's 0660 before it takes the name.
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    const auto fail = [&](int code) {
        if (reason)
            *reason = code ? systemReason(code) : file.errorString();
        if (error)
            *error = code;
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
    const QByteArray from = QFile::encodeName(file.fileName());
    const QByteArray to = QFile::encodeName(path);
    const int renamed = existing == Existing::Keep ? renameKeeping(from, to)
                                                   : (::rename(from.constData(), to.constData()) == 0 ? 0 : errno);
    if (renamed != 0)
        return fail(renamed);
    file.setAutoRemove(false);
    syncFolderOf(path);
    return true;
}

} // namespace tavro
