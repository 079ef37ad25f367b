#pragma once

#include "widgets/TMyBoundLabel.h"

#include <QColor>
#include <QLineEdit>
#include <QPointer>

namespace tavro {

// A masked edit box that carries its own caption label, highlights itself while
// focused, and knows the kind of value it holds. On leaving it the field first emits
// exited() with the value as typed, then (with Validar on) checks and normalises the
// value; a refused value turns the field CorErro, takes the focus back and is reported
// through the error display (widgets/ErrorDisplay.h). Dates and decimals follow
// Brazilian conventions whatever the machine's locale.
class TPersonEdit : public QLineEdit
{
    Q_OBJECT

public:
    enum TTipo { peData, peDataHora, peFloat, peInteiro, peTexto, peCpf, peCnpj };
    enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };

    explicit TPersonEdit(QWidget *parent = nullptr);
    ~TPersonEdit() override;

    TTipo Tipo() const { return m_tipo; }
    // Sets the kind's edit mask; a decimal field then shows "0,00", an integer one "0".
    void setTipo(TTipo tipo);

    bool Requerido() const { return m_requerido; }
    void setRequerido(bool requerido) { m_requerido = requerido; }
    bool Validar() const { return m_validar; }
    void setValidar(bool validar) { m_validar = validar; }

    QColor CorDestaque() const { return m_corDestaque; }
    void setCorDestaque(const QColor &colour) { m_corDestaque = colour; }
    QColor CorErro() const { return m_corErro; }
    void setCorErro(const QColor &colour) { m_corErro = colour; }

    // The caption label; null once something else destroyed it.
    TMyBoundLabel *EditLabel() const { return m_label; }
    void setLabelText(const QString &text);
    // The caption, also while the label is hidden.
    QString labelText() const { return m_labelText; }
    bool Labeled() const { return m_labeled; }
    // Off hides the label and empties it, keeping its text for when it is shown again.
    void setLabeled(bool labeled);
    TLabelPosition LabelPosition() const { return m_labelPosition; }
    void setLabelPosition(TLabelPosition position);
    int LabelSpacing() const { return m_labelSpacing; }
    void setLabelSpacing(int spacing);

    int MaxLength() const { return m_maxLength; }
    // Limits the length of a field without an edit mask. A field still at an automatic
    // width (121 pixels, 15 or 10 pixels per character of the previous limit, or filling
    // its parent beside its label) is resized for the new limit and kept inside its
    // parent.
    void setMaxLength(int length);

    // The text as the field shows it, with blanks for positions of the mask not yet
    // typed: an untouched date reads "  /  /    ".
    QString maskedText() const;

    // Empties the value: "0,00" for a decimal field, "0" for an integer one, the bare
    // mask for a masked one.
    void Clear();

    // The required check of a checking button: with Requerido on, an empty value or one
    // shorter than its kind's complete length is refused. A refusal turns the field
    // CorErro, gives it the focus when it can take it, and returns the message; an
    // accepted field returns an empty text. Labels name the field in the message.
    QString checkRequired();

    // The message with which leaving the field would refuse its value as it stands, or
    // empty text when the value would pass (or Validar is off). Nothing is changed.
    QString refusal() const;

    // Places the label beside the field by LabelPosition and LabelSpacing.
    void placeLabel();

    void setVisible(bool visible) override;

    // Fields are numbered as they are created: the window's component order, in which a
    // checking button runs the required checks. It does not change when widgets are
    // raised or reparented, as the order of a parent's children does.
    quint64 creationOrder() const { return m_creationOrder; }

Q_SIGNALS:
    // The field lost the focus to another control of its window; its value is still
    // as typed.
    void exited();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // The value as the check on leaving would write it back, and its refusal message
    // (empty when accepted; the value is then unchanged).
    struct Checked
    {
        QString value;
        QString refusal;
    };
    Checked checked() const;
    // The check and normalisation on leaving; the refusal message or empty.
    QString validate();
    void refuse(const QString &message);
    void setBackground(const QColor &colour);
    QColor background() const;
    bool untouchedMask() const;
    // A number field shows its zero ("0,00" or "0") rather than nothing.
    void showZeroIfNumeric();

    TTipo m_tipo = peTexto;
    bool m_requerido = false;
    bool m_validar = true;
    bool m_labeled = true;
    QColor m_corDestaque = QColor(166, 202, 240);
    QColor m_corErro = QColor(255, 255, 0);
    TLabelPosition m_labelPosition = lpLeft;
    int m_labelSpacing = 3;
    int m_maxLength = 0;
    QPointer<TMyBoundLabel> m_label;
    QString m_labelText;
    QColor m_restoreColour;
    bool m_highlighted = false;
    bool m_refused = false;
    quint64 m_creationOrder;
};

} // namespace tavro
