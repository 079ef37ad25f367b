#include "cli/TerminalProgress.h"

#include "common/InterruptSignals.h"

#include <QTextStream>

#include <unistd.h>

namespace tavro {

TerminalProgress::TerminalProgress(QTextStream &err)
    : m_err(err)
    , m_terminal(::isatty(STDERR_FILENO) == 1)
{
}

TerminalProgress::~TerminalProgress()
{
    clear();
}

void TerminalProgress::progressed(const Progress &progress)
{
    if (!m_terminal)
        return;
    m_err << '\r' << progressText(progress) << "\x1b[K";
    m_err.flush();
    m_drawn = true;
}

bool TerminalProgress::stopRequested()
{
    return InterruptSignals::received() != 0;
}

void TerminalProgress::clear()
{
    if (!m_drawn)
        return;
    m_err << "\r\x1b[K";
    m_err.flush();
    m_drawn = false;
}

} // namespace tavro
