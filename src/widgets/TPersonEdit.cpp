#include "widgets/TPersonEdit.h"

#include <QEvent>

namespace tavro {

namespace {

// Edit masks by kind; '_' marks a position still to be typed.
QString maskFor(TPersonEdit::TTipo tipo)
{
    switch (tipo) {
    case TPersonEdit::peData:
        return QStringLiteral("99/99/9999;_");
    case TPersonEdit::peDataHora:
        return QStringLiteral("99/99/9999 99:99;_");
    case TPersonEdit::peCpf:
        return QStringLiteral("999.999.999-99;_");
    case TPersonEdit::peCnpj:
        return QStringLiteral("99.999.999/9999-99;_");
    default:
        return QString();
    }
}

} // namespace

TPersonEdit::TPersonEdit(QWidget *parent)
    : QLineEdit(parent)
    , m_label(new QLabel(parent))
{
    m_label->setObjectName(QStringLiteral("SubLabel"));
    m_label->setBuddy(this);
}

TPersonEdit::~TPersonEdit()
{
    delete m_label;
}

void TPersonEdit::setTipo(TTipo tipo)
{
    m_tipo = tipo;
    setInputMask(maskFor(tipo));
    if (tipo == peFloat)
        setText(QStringLiteral("0,00"));
    else if (tipo == peInteiro)
        setText(QStringLiteral("0"));
}

void TPersonEdit::setLabelText(const QString &text)
{
    m_label->setText(text);
    m_label->adjustSize();
    placeLabel();
}

void TPersonEdit::setLabelPosition(TLabelPosition position)
{
    m_labelPosition = position;
    placeLabel();
}

void TPersonEdit::setLabelSpacing(int spacing)
{
    m_labelSpacing = spacing;
    placeLabel();
}

void TPersonEdit::setMaxLength(int length)
{
    if (inputMask().isEmpty())
        QLineEdit::setMaxLength(length);
}

QString TPersonEdit::maskedText() const
{
    if (inputMask().isEmpty())
        return text();
    QString shown = displayText();
    shown.replace(QLatin1Char('_'), QLatin1Char(' '));
    return shown;
}

void TPersonEdit::setBackground(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

void TPersonEdit::focusInEvent(QFocusEvent *event)
{
    if (!m_refused) {
        m_restoreColour = palette().color(QPalette::Base);
        setBackground(CorDestaque);
    }
    QLineEdit::focusInEvent(event);
}

void TPersonEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (m_restoreColour.isValid())
        setBackground(m_restoreColour);
    m_refused = false;
    Q_EMIT exited();
}

void TPersonEdit::moveEvent(QMoveEvent *event)
{
    QLineEdit::moveEvent(event);
    placeLabel();
}

void TPersonEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    placeLabel();
}

void TPersonEdit::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (!m_label)
        return;
    if (event->type() == QEvent::EnabledChange)
        m_label->setEnabled(isEnabled());
    else if (event->type() == QEvent::ParentChange && m_label->parentWidget() != parentWidget())
        m_label->setParent(parentWidget());
}

void TPersonEdit::placeLabel()
{
    if (!m_label)
        return;
    const QRect r = geometry();
    const QSize l = m_label->sizeHint();
    m_label->resize(l);
    const int s = m_labelSpacing;
    QPoint at;
    switch (m_labelPosition) {
    case lpAbove:
        at = QPoint(r.left(), r.top() - l.height() - s);
        break;
    case lpBelow:
        at = QPoint(r.left(), r.top() + r.height() + s);
        break;
    case lpLeft:
        at = QPoint(r.left() - l.width() - s, r.top() + (r.height() - l.height()) / 2);
        break;
    case lpRight:
        at = QPoint(r.left() + r.width() + s, r.top() + (r.height() - l.height()) / 2);
        break;
    }
    m_label->move(at);
}

} // namespace tavro
