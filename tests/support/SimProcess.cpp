#include "SimProcess.h"

#include <QCoreApplication>

#include <stdexcept>

namespace tavro::test {

SimProcess::SimProcess(const QStringList &arguments)
{
    m_process.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/tavro-sim"));
    m_process.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
    }
    const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
    const QString prefix = QStringLiteral("listening on 127.0.0.1:");
    if (!line.startsWith(prefix))
        throw std::runtime_error("tavro-sim did not start: " + line.toStdString());
    m_port = quint16(line.mid(prefix.size()).toUInt());
}

SimProcess::~SimProcess()
{
    m_process.kill();
    m_process.waitForFinished();
}

QStringList SimProcess::requests()
{
    // The substitute reports a request before answering it, so what a finished call
    // caused is on its way already.
    while (m_process.waitForReadyRead(100)) {
    }
    QStringList lines;
    while (m_process.canReadLine())
        lines << QString::fromUtf8(m_process.readLine()).trimmed();
    return lines;
}

void SimProcess::release()
{
    m_process.write("\n");
    m_process.waitForBytesWritten(5000);
}

} // namespace tavro::test
