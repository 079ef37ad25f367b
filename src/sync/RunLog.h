#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>

#include <functional>

namespace tavro {

// The unattended run's log: one line per step, each with its time stamp, appended to a
// file that grows from night to night. A log that cannot be written does not stop the
// run; its steps then go nowhere.
class RunLog
{
public:
    using Clock = std::function<QDateTime()>;

    explicit RunLog(
        const QString &path, Clock clock = [] { return QDateTime::currentDateTime(); });

    bool isOpen() const { return m_file.isOpen(); }
    void step(const QString &text);

private:
    QFile m_file;
    Clock m_clock;
};

// Where `sincronizar` keeps its log: sincronizar.log in the data folder.
QString syncLogPath(const QString &dataFolder);

} // namespace tavro
