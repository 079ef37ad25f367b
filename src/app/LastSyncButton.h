#pragma once

#include <QPushButton>

namespace tavro {

class Messages;

// The status strip's note of the last unattended run: when it ended and whether it
// failed; a click shows its summary in a fixed-width font. Hidden while no run has left a
// summary.
class LastSyncButton : public QPushButton
{
    Q_OBJECT

public:
    LastSyncButton(Messages &messages, QWidget *parent = nullptr);

    // Reads the summary the last run left at `path` (in the data folder the window shares
    // with the nightly run).
    void load(const QString &path);

private:
    Messages &m_messages;
    QString m_summary;
};

} // namespace tavro
