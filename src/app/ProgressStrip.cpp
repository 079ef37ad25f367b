#include "app/ProgressStrip.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

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
    hide();
}

void ProgressStrip::progressed(const Progress &progress)
{
    // A total of 0 (a search) makes the bar a busy indicator.
    PBProgresso->setRange(0, int(qMin<qint64>(progress.total, INT_MAX)));
    PBProgresso->setValue(int(qMin<qint64>(progress.current, INT_MAX)));
    LProgresso->setText(progressText(progress));
    show();
    if (m_active)
        QCoreApplication::processEvents();
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
