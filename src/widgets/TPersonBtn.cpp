#include "widgets/TPersonBtn.h"

namespace tavro {

TPersonBtn::TPersonBtn(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{
}

void TPersonBtn::focusInEvent(QFocusEvent *event)
{
    m_restorePalette = palette();
    QPalette p = palette();
    p.setColor(QPalette::Button, CorDestaque);
    setPalette(p);
    QPushButton::focusInEvent(event);
}

void TPersonBtn::focusOutEvent(QFocusEvent *event)
{
    setPalette(m_restorePalette);
    QPushButton::focusOutEvent(event);
}

} // namespace tavro
