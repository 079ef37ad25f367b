#include "sync/RunLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace tavro {

namespace {

QString lockPath(const QString &dataFolder, const QString &database, const QString &unidade)
{
    const QByteArray key = (database + QLatin1Char('\n') + unidade).toUtf8();
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    return QDir(dataFolder).filePath(QStringLiteral("tavro-sincronizar-%1.lock").arg(QLatin1String(digest)));
}

} // namespace

RunLock::RunLock(const QString &dataFolder, const QString &database, const QString &unidade)
    : m_path(lockPath(dataFolder, database, unidade))
    , m_file(m_path)
{
    // A night's run may take long: only a lock whose process is gone counts as stale.
    m_file.setStaleLockTime(0);
}

bool RunLock::tryLock()
{
    if (!m_file.tryLock(0))
        return false;
    // It names only the process and the host, but no file of the data folder is for others.
    QFile::setPermissions(m_path,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                              | QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::WriteGroup);
    return true;
}

qint64 RunLock::holder() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    return m_file.getLockInfo(&pid, &host, &application) ? pid : 0;
}

QString runLockedMessage(qint64 holder)
{
    QString message = QStringLiteral("Outra sincronização deste banco e desta unidade já está em andamento");
    if (holder > 0)
        message += QStringLiteral(" (processo %1)").arg(holder);
    return message + QLatin1Char('.');
}

} // namespace tavro
