#pragma once

#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

namespace tavro {

// A masked edit box that carries its own caption label (placed beside it by
// LabelPosition and LabelSpacing), highlights itself while focused, and can be
// marked required. The label is a sibling owned by the field.
class TPersonEdit : public QLineEdit
{
    Q_OBJECT

public:
    enum TTipo { peData, peDataHora, peFloat, peInteiro, peTexto, peCpf, peCnpj };
    enum TLabelPosition { lpAbove, lpBelow, lpLeft, lpRight };

    explicit TPersonEdit(QWidget *parent = nullptr);
    ~TPersonEdit() override;

    TTipo Tipo() const { return m_tipo; }
    void setTipo(TTipo tipo);

    bool Requerido() const { return m_requerido; }
    void setRequerido(bool requerido) { m_requerido = requerido; }

    QLabel *EditLabel() const { return m_label; }
    void setLabelText(const QString &text);
    void setLabelPosition(TLabelPosition position);
    void setLabelSpacing(int spacing);

    // Limits the length of a field without an edit mask.
    void setMaxLength(int length);

    // The text as the field shows it, with blanks for positions of the mask not yet
    // typed: an untouched date reads "  /  /    ".
    QString maskedText() const;

    QColor CorDestaque = QColor(166, 202, 240);
    QColor CorErro = QColor(255, 255, 0);

Q_SIGNALS:
    // The field lost the focus; its value is still as typed.
    void exited();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void placeLabel();
    void setBackground(const QColor &colour);

    TTipo m_tipo = peTexto;
    bool m_requerido = false;
    TLabelPosition m_labelPosition = lpLeft;
    int m_labelSpacing = 3;
    QPointer<QLabel> m_label;
    QColor m_restoreColour;
    bool m_refused = false;
};

} // namespace tavro
