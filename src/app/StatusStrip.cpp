#include "app/StatusStrip.h"

#include "common/Status.h"

#include <QLabel>
#include <QPushButton>

namespace tavro {

StatusStrip::StatusStrip(QWidget *parent)
    : QStatusBar(parent)
    , m_account(new QLabel(this))
    , m_held(new QPushButton(this))
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
    m_held->setObjectName(QStringLiteral("BtnRetidos"));
    m_held->setFlat(true);
    m_held->setCursor(Qt::PointingHandCursor);
    // The colour of a held batch's rows in the lists.
    m_held->setStyleSheet(
        QStringLiteral("color: %1; font-weight: bold;").arg(protocolStatusColour(Situacao::SemResposta).name()));
    m_held->hide();
    addWidget(m_held);
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

void StatusStrip::setHeld(const QString &held)
{
    m_held->setText(held.isEmpty() ? QString() : held + QStringLiteral(": ver Protocolos"));
    m_held->setToolTip(QStringLiteral("Registros que não entram em nenhum lote até o serviço responder ou o lote ser "
                                      "liberado para reenvio"));
    m_held->setVisible(!held.isEmpty());
}

void StatusStrip::setSession(const QString &operador, const QString &unidade, const QString &servidor)
{
    m_session->setText(QStringLiteral("Operador: %1   Unidade: %2   Serviço: %3")
                           .arg(operador.isEmpty() ? QStringLiteral("(nenhum)") : operador, unidade, servidor));
}

} // namespace tavro
