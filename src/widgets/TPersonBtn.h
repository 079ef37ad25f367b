#pragma once

#include <QColor>
#include <QPushButton>

namespace tavro {

// The window's action button: a push button whose face takes CorDestaque while it
// has the focus.
class TPersonBtn : public QPushButton
{
    Q_OBJECT

public:
    explicit TPersonBtn(const QString &caption, QWidget *parent = nullptr);

    QColor CorDestaque = QColor(166, 202, 240);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QPalette m_restorePalette;
};

} // namespace tavro
