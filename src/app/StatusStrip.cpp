#include "app/StatusStrip.h"

#include <QLabel>

namespace tavro {

StatusStrip::StatusStrip(QWidget *parent)
    : QStatusBar(parent)
    , m_account(new QLabel(this))
    , m_session(new QLabel(this))
{
    setObjectName(QStringLiteral("StatusStrip"));
    m_account->setObjectName(QStringLiteral("LConta"));
    m_session->setObjectName(QStringLiteral("LSessao"));
    m_account->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long account or note gives way to the window's width instead of widening the window past
    // the screen; its whole text stays in the tooltip.
    m_account->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    addWidget(m_account, 1);
    addPermanentWidget(m_session);
    setSizeGripEnabled(false);
}

void StatusStrip::setAccount(const QString &text)
{
    m_account->setText(text);
    m_account->setToolTip(text);
}

void StatusStrip::setNote(const QString &text)
{
    setAccount(text);
}

void StatusStrip::setSession(const QString &operador, const QString &unidade, const QString &servidor)
{
    m_session->setText(QStringLiteral("Operador: %1   Unidade: %2   Serviço: %3")
                           .arg(operador.isEmpty() ? QStringLiteral("(nenhum)") : operador, unidade, servidor));
}

} // namespace tavro
