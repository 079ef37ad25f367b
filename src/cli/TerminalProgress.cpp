#include "cli/TerminalProgress.h"

#include <QTextStream>

#include <unistd.h>

namespace tavro {

namespace {

volatile std::sig_atomic_t stopAsked = 0;

void onInterrupt(int)
{
    stopAsked = 1;
    // The next Ctrl+C gets the default action and ends the program at once.
    std::signal(SIGINT, SIG_DFL);
    static const char notice[] = "\nParando após o lote atual; Ctrl+C de novo encerra já.\n";
    const ssize_t written = ::write(STDERR_FILENO, notice, sizeof notice - 1);
    (void)written;
}

} // namespace

TerminalProgress::TerminalProgress(QTextStream &err)
    : m_err(err)
    , m_terminal(::isatty(STDERR_FILENO) == 1)
{
    stopAsked = 0;
    struct sigaction action
    {
    };
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &m_previous);
}

TerminalProgress::~TerminalProgress()
{
    clear();
    sigaction(SIGINT, &m_previous, nullptr);
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
    return stopAsked != 0;
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
