#pragma once

#include <QProcess>
#include <QStringList>

namespace tavro::test {

// tavro-sim (built beside the test executables) running as a real process on a free
// port for one test, stopped with it.
class SimProcess
{
public:
    explicit SimProcess(const QStringList &arguments);
    ~SimProcess();

    quint16 port() const { return m_port; }
    // The request lines the substitute reported since the last call.
    QStringList requests();
    // Lets the answer held by `--reter N` go.
    void release();

private:
    QProcess m_process;
    quint16 m_port = 0;
};

} // namespace tavro::test
