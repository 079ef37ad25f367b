#pragma once

#include <QColor>
#include <QPixmap>
#include <QPushButton>

class QShortcut;

namespace tavro {

// The window's action button: a push button drawn with a face colour and an optional
// picture, which takes CorDestaque while it has the focus. With VerRequeridos on, the
// operator's click first runs the required check of every TPersonEdit of the button's
// window in creation order; the first refusal is shown through the error display and
// the click goes no further. A Kind other than bkCustom gives the button a standard
// caption, picture, modal result and default or cancel flag.
//
// Every click of the operator (mouse, space, Enter on a default button, mnemonic,
// Escape on a cancel button) goes through Click(). click() called from code is the
// plain click, without the check.
class TPersonBtn : public QPushButton
{
    Q_OBJECT

public:
    enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
    enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

    explicit TPersonBtn(QWidget *parent = nullptr);
    explicit TPersonBtn(const QString &caption, QWidget *parent = nullptr);

    // The operator's click: the required check, then by Kind: bkClose closes the
    // button's window, bkHelp shows the "What's This" help of the nearest control up
    // the parent chain that has one, anything else (and a help button without help)
    // emits clicked() and ends a dialog with ModalResult when that is not 0.
    void Click();

    // Keeps a button disabled while it does its work, for the guard's lifetime.
    // Disabling moves the focus on to the next control; a button that had the focus
    // takes it back when it is enabled again, so the operator's next Enter or space
    // does not fire that other control.
    class Busy
    {
    public:
        explicit Busy(TPersonBtn &button);
        ~Busy();
        Busy(const Busy &) = delete;
        Busy &operator=(const Busy &) = delete;

    private:
        TPersonBtn &m_button;
        bool m_focused;
    };

    bool VerRequeridos() const { return m_verRequeridos; }
    void setVerRequeridos(bool on) { m_verRequeridos = on; }

    QColor CorDestaque() const { return m_corDestaque; }
    // Black (0) restores the default light sky blue.
    void setCorDestaque(const QColor &colour);
    QColor Color() const { return m_color; }
    void setColor(const QColor &colour);

    TBitBtnKind Kind() const { return m_kind; }
    void setKind(TBitBtnKind kind);

    // A strip of 1 to 4 equally wide pictures: normal, disabled, pressed, held down.
    QPixmap Glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &strip);
    int NumGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int count);
    TButtonLayout Layout() const { return m_layout; }
    void setLayout(TButtonLayout layout);
    using QPushButton::setLayout;
    // Distance of the picture from its edge; -1 centres picture and caption together.
    int Margin() const { return m_margin; }
    void setMargin(int margin);
    int Spacing() const { return m_spacing; }
    void setSpacing(int spacing);

    // What a dialog holding the button returns when it is clicked (QDialog::done); 0 for
    // none. Standard kinds use the QDialogButtonBox::StandardButton of their kind.
    int ModalResult() const { return m_modalResult; }
    void setModalResult(int result);
    void setDefaultFlag(bool on);
    bool cancelFlag() const { return m_cancel; }
    // A cancel button is clicked by Escape anywhere in its window.
    void setCancelFlag(bool on);

    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    bool requiredFieldsFilled();
    void applyModalResult();
    // The standard kind no longer holds when one of its settings is changed.
    void leaveStandardKind(bool changed);
    QPixmap glyphImage() const;

    bool m_verRequeridos = true;
    QColor m_corDestaque;
    QColor m_color;
    QColor m_restoreColor;
    bool m_highlighted = false;
    TBitBtnKind m_kind = bkCustom;
    QPixmap m_glyph;
    int m_numGlyphs = 1;
    TButtonLayout m_layout = blGlyphLeft;
    int m_margin = -1;
    int m_spacing = 4;
    int m_modalResult = 0;
    bool m_cancel = false;
    QShortcut *m_escape = nullptr;
};

} // namespace tavro
