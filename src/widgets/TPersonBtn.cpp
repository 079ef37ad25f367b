#include "widgets/TPersonBtn.h"

#include "widgets/ErrorDisplay.h"
#include "widgets/TPersonEdit.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWhatsThis>
#include <qdrawutil.h>

#include <algorithm>

namespace tavro {

namespace {

const QColor DefaultCorDestaque(166, 202, 240);

struct StandardKind
{
    QDialogButtonBox::StandardButton button;
    QStyle::StandardPixmap picture;
    int modalResult;
    bool isDefault;
    bool isCancel;
};

StandardKind standardKind(TPersonBtn::TBitBtnKind kind)
{
    using B = QDialogButtonBox;
    // In the order of TBitBtnKind.
    static const StandardKind kinds[] = {
        {B::NoButton, QStyle::SP_CustomBase, 0, false, false},
        {B::Ok, QStyle::SP_DialogOkButton, B::Ok, true, false},
        {B::Cancel, QStyle::SP_DialogCancelButton, B::Cancel, false, true},
        {B::Help, QStyle::SP_DialogHelpButton, 0, false, false},
        {B::Yes, QStyle::SP_DialogYesButton, B::Yes, true, false},
        {B::No, QStyle::SP_DialogNoButton, B::No, false, true},
        {B::Close, QStyle::SP_DialogCloseButton, 0, false, false},
        {B::Abort, QStyle::SP_DialogAbortButton, B::Abort, false, false},
        {B::Retry, QStyle::SP_DialogRetryButton, B::Retry, false, false},
        {B::Ignore, QStyle::SP_DialogIgnoreButton, B::Ignore, false, false},
        {B::YesToAll, QStyle::SP_DialogYesToAllButton, B::YesToAll, false, false},
    };
    return kinds[kind];
}

// The toolkit's own (translatable) caption of a standard button.
QString standardCaption(QDialogButtonBox::StandardButton button)
{
    QDialogButtonBox box;
    return box.addButton(button)->text();
}

} // namespace

TPersonBtn::TPersonBtn(QWidget *parent)
    : TPersonBtn(QString(), parent)
{
}

TPersonBtn::TPersonBtn(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
    , m_corDestaque(DefaultCorDestaque)
    , m_color(palette().color(QPalette::Button))
{
    connect(this, &QAbstractButton::clicked, this, &TPersonBtn::applyModalResult);
}

void TPersonBtn::Click()
{
    if (!isEnabled())
        return;
    if (m_verRequeridos && !requiredFieldsFilled())
        return;
    if (m_kind == bkClose && window() != this) {
        window()->close();
        return;
    }
    if (m_kind == bkHelp) {
        for (QWidget *w = this; w; w = w->parentWidget()) {
            if (!w->whatsThis().isEmpty()) {
                QWhatsThis::showText(mapToGlobal(rect().center()), w->whatsThis(), this);
                return;
            }
        }
    }
    click();
}

TPersonBtn::Busy::Busy(TPersonBtn &button)
    : m_button(button)
    , m_focused(button.window()->focusWidget() == &button)
{
    m_button.setEnabled(false);
}

TPersonBtn::Busy::~Busy()
{
    m_button.setEnabled(true);
    if (m_focused)
        m_button.setFocus(Qt::OtherFocusReason);
}

bool TPersonBtn::requiredFieldsFilled()
{
    // A dialog owned by the window is a window of its own: its fields are not checked.
    QList<TPersonEdit *> fields = window()->findChildren<TPersonEdit *>();
    fields.removeIf([this](const TPersonEdit *field) { return field->window() != window(); });
    std::sort(fields.begin(), fields.end(),
              [](const TPersonEdit *a, const TPersonEdit *b) { return a->creationOrder() < b->creationOrder(); });
    for (TPersonEdit *field : fields) {
        const QString refusal = field->checkRequired();
        if (!refusal.isEmpty()) {
            showError(this, refusal);
            return false;
        }
    }
    return true;
}

void TPersonBtn::applyModalResult()
{
    if (m_modalResult == 0)
        return;
    if (auto *dialog = qobject_cast<QDialog *>(window()))
        dialog->done(m_modalResult);
}

void TPersonBtn::setCorDestaque(const QColor &colour)
{
    m_corDestaque = colour == QColor(Qt::black) ? DefaultCorDestaque : colour;
}

void TPersonBtn::setColor(const QColor &colour)
{
    m_color = colour;
    update();
}

void TPersonBtn::setKind(TBitBtnKind kind)
{
    m_kind = kind;
    if (kind == bkCustom)
        return;
    const StandardKind standard = standardKind(kind);
    setText(standardCaption(standard.button));
    const int side = style()->pixelMetric(QStyle::PM_ButtonIconSize, nullptr, this);
    m_glyph = style()->standardIcon(standard.picture, nullptr, this).pixmap(side, side);
    m_numGlyphs = 1;
    m_modalResult = standard.modalResult;
    setDefault(standard.isDefault);
    setCancelFlag(standard.isCancel);
    updateGeometry();
    update();
}

void TPersonBtn::leaveStandardKind(bool changed)
{
    if (changed)
        m_kind = bkCustom;
}

void TPersonBtn::setGlyph(const QPixmap &strip)
{
    m_glyph = strip;
    leaveStandardKind(true);
    updateGeometry();
    update();
}

void TPersonBtn::setNumGlyphs(int count)
{
    m_numGlyphs = std::clamp(count, 1, 4);
    updateGeometry();
    update();
}

void TPersonBtn::setLayout(TButtonLayout layout)
{
    m_layout = layout;
    updateGeometry();
    update();
}

void TPersonBtn::setMargin(int margin)
{
    if (margin < -1)
        return;
    m_margin = margin;
    update();
}

void TPersonBtn::setSpacing(int spacing)
{
    m_spacing = spacing;
    updateGeometry();
    update();
}

void TPersonBtn::setModalResult(int result)
{
    leaveStandardKind(m_kind != bkCustom && result != standardKind(m_kind).modalResult);
    m_modalResult = result;
}

void TPersonBtn::setDefaultFlag(bool on)
{
    leaveStandardKind(m_kind != bkCustom && on != standardKind(m_kind).isDefault);
    setDefault(on);
}

void TPersonBtn::setCancelFlag(bool on)
{
    leaveStandardKind(m_kind != bkCustom && on != standardKind(m_kind).isCancel);
    m_cancel = on;
    if (on && !m_escape) {
        m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &TPersonBtn::Click, Qt::WindowShortcut);
    }
    if (m_escape)
        m_escape->setEnabled(on);
}

QPixmap TPersonBtn::glyphImage() const
{
    if (m_glyph.isNull())
        return QPixmap();
    const int count = std::min(m_numGlyphs, std::max(1, m_glyph.width()));
    const int w = m_glyph.width() / count;
    const auto image = [&](int index) { return m_glyph.copy(index * w, 0, w, m_glyph.height()); };
    if (!isEnabled()) {
        if (count > 1)
            return image(1);
        QStyleOption option;
        option.initFrom(this);
        return style()->generatedIconPixmap(QIcon::Disabled, image(0), &option);
    }
    if (isDown() && count > 2)
        return image(2);
    if (isChecked() && count > 3)
        return image(3);
    return image(0);
}

QSize TPersonBtn::sizeHint() const
{
    QSize hint = QPushButton::sizeHint();
    const QPixmap picture = glyphImage();
    if (picture.isNull())
        return hint;
    const int gap = text().isEmpty() ? 0 : m_spacing;
    if (m_layout == blGlyphLeft || m_layout == blGlyphRight)
        return QSize(hint.width() + picture.width() + gap, std::max(hint.height(), picture.height() + 8));
    return QSize(std::max(hint.width(), picture.width() + 16), hint.height() + picture.height() + gap);
}

void TPersonBtn::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QRect r = rect();
    const bool pressed = isDown() || isChecked();
    if (hasFocus() || isDefault()) {
        p.setPen(palette().color(QPalette::Shadow));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    if (pressed) {
        p.fillRect(r, palette().color(QPalette::Dark));
    } else {
        const QBrush face(m_color);
        qDrawShadePanel(&p, r, palette(), false, 1, &face);
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(4, 4, -5, -5));
    }

    // Picture and caption, as one block centred (Margin -1) or from the picture's edge.
    const QPixmap picture = glyphImage();
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    const QSize glyphSize = picture.isNull() ? QSize(0, 0) : picture.deviceIndependentSize().toSize();
    const int gap = picture.isNull() || text().isEmpty() ? 0 : m_spacing;
    const bool across = m_layout == blGlyphLeft || m_layout == blGlyphRight;
    const int blockLength = across ? glyphSize.width() + gap + textSize.width()
                                   : glyphSize.height() + gap + textSize.height();
    const int room = across ? rect().width() : rect().height();
    const bool pictureFirst = m_layout == blGlyphLeft || m_layout == blGlyphTop;
    int start = (room - blockLength) / 2;
    if (m_margin >= 0 && !picture.isNull())
        start = pictureFirst ? m_margin : room - m_margin - blockLength;
    QRect glyphRect, textRect;
    if (across) {
        const int glyphX = pictureFirst ? start : start + textSize.width() + gap;
        const int textX = pictureFirst ? start + glyphSize.width() + gap : start;
        glyphRect = QRect(QPoint(glyphX, (rect().height() - glyphSize.height()) / 2), glyphSize);
        textRect = QRect(textX, 0, textSize.width(), rect().height());
    } else {
        const int glyphY = pictureFirst ? start : start + textSize.height() + gap;
        const int textY = pictureFirst ? start + glyphSize.height() + gap : start;
        glyphRect = QRect(QPoint((rect().width() - glyphSize.width()) / 2, glyphY), glyphSize);
        textRect = QRect(0, textY, rect().width(), textSize.height());
    }
    if (pressed) {
        glyphRect.translate(1, 1);
        textRect.translate(1, 1);
    }
    if (!picture.isNull())
        p.drawPixmap(glyphRect.topLeft(), picture);
    style()->drawItemText(&p, textRect, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(), text(),
                          QPalette::ButtonText);
}

bool TPersonBtn::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent *>(event)->isAmbiguous()) {
        if (focusPolicy() != Qt::NoFocus)
            setFocus(Qt::ShortcutFocusReason);
        Click();
        return true;
    }
    return QPushButton::event(event);
}

void TPersonBtn::focusInEvent(QFocusEvent *event)
{
    if (!m_highlighted) {
        m_restoreColor = m_color;
        m_color = m_corDestaque;
        m_highlighted = true;
    }
    QPushButton::focusInEvent(event);
}

void TPersonBtn::focusOutEvent(QFocusEvent *event)
{
    // A focus-out can come without a focus-in before it: the application hands the
    // focus to the button, and a message box opened while the old control is being
    // left takes it away before the button was told. Restoring then would paint the
    // face with a colour never remembered.
    if (m_highlighted) {
        m_color = m_restoreColor;
        m_highlighted = false;
    }
    QPushButton::focusOutEvent(event);
}

void TPersonBtn::mouseReleaseEvent(QMouseEvent *event)
{
    const bool clicks = event->button() == Qt::LeftButton && isDown() && hitButton(event->position().toPoint());
    if (clicks)
        setDown(false);
    QPushButton::mouseReleaseEvent(event);
    if (clicks) {
        event->accept();
        Click();
    }
}

void TPersonBtn::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Enter || event->key() == Qt::Key_Return;
    if (enter && (autoDefault() || isDefault())) {
        Click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void TPersonBtn::keyReleaseEvent(QKeyEvent *event)
{
    const bool space = event->key() == Qt::Key_Space || event->key() == Qt::Key_Select;
    if (space && !event->isAutoRepeat() && isDown()) {
        setDown(false);
        Click();
        return;
    }
    QPushButton::keyReleaseEvent(event);
}

} // namespace tavro
