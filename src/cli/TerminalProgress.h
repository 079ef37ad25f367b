#pragma once

#include "common/ProgressObserver.h"

#include <csignal>

class QTextStream;

namespace tavro {

// The command line's progress of long work: one line on stderr, redrawn in place, when
// stderr is a terminal; and Ctrl+C as the window's "Parar". While it lives, a first
// Ctrl+C (SIGINT) asks the work to stop between two batches or checks; a second one ends
// the program at once, as Ctrl+C always does.
class TerminalProgress : public ProgressObserver
{
public:
    explicit TerminalProgress(QTextStream &err);
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress &) = delete;
    TerminalProgress &operator=(const TerminalProgress &) = delete;

    void progressed(const Progress &progress) override;
    bool stopRequested() override;
    // Wipes the progress line, so that other output starts on a clean line.
    void clear();

private:
    QTextStream &m_err;
    bool m_terminal;
    bool m_drawn = false;
    struct sigaction m_previous
    {
    };
};

} // namespace tavro
