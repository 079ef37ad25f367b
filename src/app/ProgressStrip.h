#pragma once

#include "common/ProgressObserver.h"

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tavro {

// The status strip's progress of long work: a bar, its short text and "Parar". Between
// begin() and end() the window takes no input but a click on "Parar" (message boxes of
// the work still do): each progress report draws the strip and lets that click through,
// and a stop asked for is honoured by the work between two batches or checks. The strip
// shows only once the work reports, so short work never flashes it.
class ProgressStrip : public QWidget, public ProgressObserver
{
    Q_OBJECT

public:
    explicit ProgressStrip(QWidget *parent = nullptr);
    ~ProgressStrip() override;

    // `canStop`: whether the work asks for stops (a search does not: it shows no "Parar").
    void begin(bool canStop);
    void end();

    void progressed(const Progress &progress) override;
    // "Parar", or a signal asking the program to end.
    bool stopRequested() override;
    // Whether work runs between begin() and end().
    bool isActive() const { return m_active; }
    // Whether work that can be stopped runs: only "Parar" then takes the window's input.
    bool takesStop() const { return m_active && m_canStop; }

    QProgressBar *PBProgresso;
    QLabel *LProgresso;
    QPushButton *BtnParar;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showProgress();

    // The last report and the time since it: the clock of the text goes on between two
    // reports, so a long batch does not look like a stalled one.
    Progress m_last;
    QElapsedTimer m_sinceLast;
    QTimer *m_clock;
    bool m_active = false;
    bool m_stop = false;
    bool m_canStop = false;
};

} // namespace tavro
