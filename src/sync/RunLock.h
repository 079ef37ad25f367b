#pragma once

#include <QLockFile>
#include <QString>

namespace tavro {

// Keeps two unattended runs of the same database and unit from overlapping: a lock file in
// the data folder that every run of this machine shares, named after both. A run that ended
// without releasing it (killed, crashed) leaves a lock whose process is gone, which the next
// run takes over.
class RunLock
{
public:
    RunLock(const QString &dataFolder, const QString &database, const QString &unidade);

    // Takes the lock without waiting; false while another run holds it.
    bool tryLock();
    // The process id of the run holding the lock, 0 when unknown.
    qint64 holder() const;
    QString path() const { return m_path; }

private:
    QString m_path;
    QLockFile m_file;
};

// Shown when another run holds the lock.
QString runLockedMessage(qint64 holder);

} // namespace tavro
