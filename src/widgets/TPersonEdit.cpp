#include "widgets/TPersonEdit.h"

#include "widgets/ErrorDisplay.h"
#include "widgets/FieldRules.h"
#include "widgets/TMyBoundLabel.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>

#include <algorithm>
#include <optional>

namespace tavro {

namespace {

// Edit masks by kind; '_' shows a position still to be typed.
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

// Length of a completely typed value of the kind; 0 when the kind has none.
int completeLength(TPersonEdit::TTipo tipo)
{
    switch (tipo) {
    case TPersonEdit::peData:
        return 10;
    case TPersonEdit::peDataHora:
        return 16;
    case TPersonEdit::peCpf:
        return 14;
    case TPersonEdit::peCnpj:
        return 18;
    default:
        return 0;
    }
}

// Window switches and popups (a message box among them) take the focus without the
// operator leaving the field.
bool leavesField(const QFocusEvent *event)
{
    return event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
}

} // namespace

TPersonEdit::TPersonEdit(QWidget *parent)
    : QLineEdit(parent)
    , m_label(new TMyBoundLabel(this))
    , m_restoreColour(palette().color(QPalette::Base))
{
    static quint64 created = 0;
    m_creationOrder = ++created;
}

TPersonEdit::~TPersonEdit()
{
    delete m_label;
}

void TPersonEdit::setTipo(TTipo tipo)
{
    m_tipo = tipo;
    setInputMask(maskFor(tipo));
    showZeroIfNumeric();
}

void TPersonEdit::showZeroIfNumeric()
{
    if (m_tipo == peFloat)
        setText(QStringLiteral("0,00"));
    else if (m_tipo == peInteiro)
        setText(QStringLiteral("0"));
}

void TPersonEdit::setLabelText(const QString &text)
{
    m_labelText = text;
    if (!m_label)
        return;
    if (m_labeled)
        m_label->setText(text);
    m_label->adjustSize();
    placeLabel();
}

void TPersonEdit::setLabeled(bool labeled)
{
    m_labeled = labeled;
    if (!m_label)
        return;
    m_label->setText(labeled ? m_labelText : QString());
    m_label->adjustSize();
    m_label->setVisible(labeled && !isHidden());
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
    const int parentWidth = parentWidget() ? parentWidget()->width() : 0;
    const int labelWidth = m_label ? m_label->width() : 0;
    const int s = m_labelSpacing;
    const int w = width();
    const bool automatic = w == 121 || w == 15 * m_maxLength || w == 10 * m_maxLength
        || parentWidth - labelWidth - s == w + 20;
    if (automatic) {
        int newWidth;
        int left = x();
        if (labelWidth + 15 * length + s + 20 < parentWidth || labelWidth + 10 * length + s + 20 < parentWidth) {
            newWidth = length < 5 ? 15 * length : 10 * length;
            if (parentWidth < labelWidth + newWidth + left + s - 5)
                left = parentWidth - newWidth - 15;
        } else {
            newWidth = parentWidth - labelWidth - s - 20;
            left = parentWidth - newWidth - 15;
        }
        setGeometry(left, y(), newWidth, height());
    }
    if (inputMask().isEmpty()) {
        m_maxLength = length;
        // 0 means no limit here, but an empty field to Qt.
        QLineEdit::setMaxLength(length > 0 ? length : 32767);
    }
}

QString TPersonEdit::maskedText() const
{
    if (inputMask().isEmpty())
        return text();
    QString shown = displayText();
    shown.replace(QLatin1Char('_'), QLatin1Char(' '));
    return shown;
}

void TPersonEdit::Clear()
{
    clear();
    showZeroIfNumeric();
}

bool TPersonEdit::untouchedMask() const
{
    if (inputMask().isEmpty())
        return false;
    const QString shown = maskedText();
    return std::none_of(shown.begin(), shown.end(), [](QChar c) { return c.isDigit(); });
}

QString TPersonEdit::checkRequired()
{
    if (!m_requerido)
        return QString();
    const QString value = maskedText();
    const QChar quote = QLatin1Char('"');
    QString message;
    // A field without a mask holding only blanks is as empty as one holding nothing.
    if (value.isEmpty() || (inputMask().isEmpty() && value.trimmed().isEmpty())) {
        if (!m_highlighted && !m_refused)
            m_restoreColour = background();
        message = QStringLiteral("O valor do campo ") + quote + m_labelText + quote
            + QStringLiteral(" não pode estar em Branco!");
    } else if (value.trimmed().size() < completeLength(m_tipo)) {
        message = QStringLiteral("O campo ") + quote + m_labelText + quote
            + QStringLiteral(" deve ser totalmente informado!");
    } else {
        return QString();
    }
    setBackground(m_corErro);
    m_refused = true;
    if (isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus)
        setFocus(Qt::OtherFocusReason);
    return message;
}

TPersonEdit::Checked TPersonEdit::checked() const
{
    using namespace fieldrules;
    const QString value = maskedText();
    const auto result = [&value](const std::optional<QString> &normalised, const char *refusal) {
        return normalised ? Checked{*normalised, QString()} : Checked{value, QString::fromUtf8(refusal)};
    };
    // A masked kind still showing its blank mask is kept as it is.
    const auto masked = [&](const std::optional<QString> &normalised, const char *refusal) {
        return untouchedMask() ? Checked{value, {}} : result(normalised, refusal);
    };
    switch (m_tipo) {
    case peData:
        return masked(normalisedDate(value), "Valor Inválido, insira uma Data Válida!");
    case peDataHora:
        return masked(normalisedDateTime(value), "Valor Inválido, insira uma Data e Hora Válida!");
    case peFloat:
        return result(normalisedDecimal(value), "Valor Inválido, insira um valor de Ponto Flutuante!");
    case peInteiro:
        return {value.isEmpty() ? QStringLiteral("0") : value,
                isInteger(value) ? QString() : QStringLiteral("Valor Inválido, insira um valor Inteiro!")};
    case peTexto:
        return {recapitalised(value), {}};
    case peCpf:
        return masked(completedCpf(value), "O valor do CPF não é um valor Válido!");
    case peCnpj:
        return masked(completedCnpj(value), "O valor do CNPJ não é um valor Válido!");
    }
    return {value, {}};
}

QString TPersonEdit::refusal() const
{
    return m_validar ? checked().refusal : QString();
}

QString TPersonEdit::validate()
{
    const Checked c = checked();
    if (c.value != maskedText())
        setText(c.value);
    if (m_tipo == peTexto)
        setCursorPosition(0);
    return c.refusal;
}

void TPersonEdit::refuse(const QString &message)
{
    setBackground(m_corErro);
    m_refused = true;
    // The focus is taken back once the change of focus in progress has ended.
    QMetaObject::invokeMethod(
        this,
        [this, message] {
            setFocus(Qt::OtherFocusReason);
            showError(this, message);
        },
        Qt::QueuedConnection);
}

QColor TPersonEdit::background() const
{
    return palette().color(QPalette::Base);
}

void TPersonEdit::setBackground(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

void TPersonEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (m_highlighted || m_refused)
        return;
    m_restoreColour = background();
    setBackground(m_corDestaque);
    m_highlighted = true;
}

void TPersonEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (!leavesField(event))
        return;
    if (m_highlighted || m_refused)
        setBackground(m_restoreColour);
    m_highlighted = false;
    m_refused = false;
    Q_EMIT exited();
    if (m_validar) {
        const QString refusal = validate();
        if (!refusal.isEmpty())
            refuse(refusal);
    }
}

void TPersonEdit::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    if (event->key() != Qt::Key_Space || m_tipo != peTexto || !m_validar || isReadOnly())
        return;
    const QString capitalised = fieldrules::recapitalised(text());
    if (capitalised == text())
        return;
    const int caret = cursorPosition();
    setText(capitalised);
    setCursorPosition(caret);
}

void TPersonEdit::setVisible(bool visible)
{
    QLineEdit::setVisible(visible);
    if (m_label)
        m_label->setVisible(visible && m_labeled);
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
    switch (event->type()) {
    case QEvent::EnabledChange:
        m_label->setEnabled(isEnabled());
        break;
    case QEvent::LayoutDirectionChange:
        m_label->setLayoutDirection(layoutDirection());
        break;
    case QEvent::ParentChange:
        if (m_label->parentWidget() != parentWidget()) {
            m_label->setParent(parentWidget());
            m_label->setVisible(m_labeled && !isHidden());
            placeLabel();
        }
        break;
    default:
        break;
    }
}

void TPersonEdit::placeLabel()
{
    if (!m_label)
        return;
    const QRect r = geometry();
    const int w = m_label->width(), h = m_label->height(), s = m_labelSpacing;
    QPoint at;
    switch (m_labelPosition) {
    case lpAbove:
        at = QPoint(r.left(), r.top() - h - s);
        break;
    case lpBelow:
        at = QPoint(r.left(), r.top() + r.height() + s);
        break;
    case lpLeft:
        at = QPoint(r.left() - w - s, r.top() + (r.height() - h) / 2);
        break;
    case lpRight:
        at = QPoint(r.left() + r.width() + s, r.top() + (r.height() - h) / 2);
        break;
    }
    m_label->move(at);
}

} // namespace tavro
