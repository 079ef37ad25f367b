#pragma once

#include "common/ProgressObserver.h"

class QTextStream;

namespace tavro {

// The command line's progress of long work: one line on stderr, redrawn in place, when
// stderr is a terminal; and a first Ctrl+C, SIGTERM or SIGHUP (see InterruptSignals) as the
// window's "Parar": the work stops between two batches or checks.
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
};

} // namespace tavro
