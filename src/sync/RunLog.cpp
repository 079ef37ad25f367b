#include "sync/RunLog.h"

#include "common/PrivateFile.h"

#include <QDir>
#include <QFileInfo>

namespace tavro {

RunLog::RunLog(const QString &path, Clock clock)
    : m_file(path)
    , m_clock(std::move(clock))
{
    makePrivateFolder(QFileInfo(path).absolutePath());
    openPrivate(m_file, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void RunLog::step(const QString &text)
{
    if (!m_file.isOpen())
        return;
    // One physical line per step, whatever the service or the database put in the text.
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    const QString stamp = m_clock().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    m_file.write((stamp + QLatin1Char(' ') + line + QLatin1Char('\n')).toUtf8());
    m_file.flush();
}

QString syncLogPath(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("sincronizar.log"));
}

} // namespace tavro
