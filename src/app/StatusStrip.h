#pragma once

#include <QStatusBar>

class QLabel;
class QPushButton;

namespace tavro {

// The strip along the window's foot: on the left the account of the last transmit
// click or a note of what the window last opened, on the right who works where (operator, unit, the service's host).
class StatusStrip : public QStatusBar
{
    Q_OBJECT

public:
    explicit StatusStrip(QWidget *parent = nullptr);

    void setAccount(const QString &text);
    // A line in the account's place that says what the window just did by itself.
    void setNote(const QString &text);
    // The unit's held records in one line, "9 registros retidos em 1 lote sem resposta: ver
    // Protocolos", as a button that opens them; hidden when `held` is empty.
    void setHeld(const QString &held);
    QPushButton *heldButton() const { return m_held; }
    // An empty operator reads "(nenhum)" until someone logs in.
    void setSession(const QString &operador, const QString &unidade, const QString &servidor);

private:
    QLabel *m_account;
    QPushButton *m_held;
    QLabel *m_session;
};

} // namespace tavro
