#include "app/ProgressStrip.h"

#include "common/InterruptSignals.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace tavro {

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Close: // the window stays open until the work has ended
        return true;
    default:
        return false;
    }
}

} // namespace

ProgressStrip::ProgressStrip(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    PBProgresso = new QProgressBar(this);
    PBProgresso->setObjectName(QStringLiteral("PBProgresso"));
    PBProgresso->setTextVisible(false);
    PBProgresso->setFixedWidth(220);
    LProgresso = new QLabel(this);
    LProgresso->setObjectName(QStringLiteral("LProgresso"));
    BtnParar = new QPushButton(QStringLiteral("Parar"), this);
    BtnParar->setObjectName(QStringLiteral("BtnParar"));
    layout->addWidget(PBProgresso);
    layout->addWidget(LProgresso);
    layout->addWidget(BtnParar);
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &ProgressStrip::showProgress);
    hide();
    connect(BtnParar, &QPushButton::clicked, this, [this] {
        m_stop = true;
        BtnParar->setEnabled(false);
        BtnParar->setText(QStringLiteral("Parando…"));
        BtnParar->repaint(); // at once, though the work may not yield again for a while
    });
}

ProgressStrip::~ProgressStrip()
{
    end();
}

void ProgressStrip::begin(bool canStop)
{
    m_stop = false;
    m_canStop = canStop;
    BtnParar->setVisible(canStop);
    BtnParar->setEnabled(true);
    BtnParar->setText(QStringLiteral("Parar"));
    if (!m_active)
        qApp->installEventFilter(this);
    m_active = true;
}

void ProgressStrip::end()
{
    if (m_active)
        qApp->removeEventFilter(this);
    m_active = false;
    m_clock->stop();
    hide();
}

void ProgressStrip::progressed(const Progress &progress)
{
    m_last = progress;
    m_sinceLast.start();
    showProgress();
    show();
    if (m_active) {
        m_clock->start();
        QCoreApplication::processEvents();
    }
}

bool ProgressStrip::stopRequested()
{
    return m_stop || InterruptSignals::received() != 0;
}

void ProgressStrip::showProgress()
{
    // A total of 0 (a search) makes the bar a busy indicator.
    PBProgresso->setRange(0, int(qMin<qint64>(m_last.total, INT_MAX)));
    PBProgresso->setValue(int(qMin<qint64>(m_last.current, INT_MAX)));
    Progress now = m_last;
    now.elapsedMs += m_sinceLast.isValid() ? m_sinceLast.elapsed() : 0;
    LProgresso->setText(progressText(now));
}

bool ProgressStrip::eventFilter(QObject *watched, QEvent *event)
{
    // Only the window's own input is held back: a message box the work opens still answers.
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (m_active && isUserInput(event->type()) && widget && widget->window() == window() && widget != BtnParar)
        return true;
    return QWidget::eventFilter(watched, event);
}

} // namespace tavro
