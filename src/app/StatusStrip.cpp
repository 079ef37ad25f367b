#include "app/StatusStrip.h"

#include "common/Status.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace tavro {

namespace {

// A line that gives way to the window's width by leaving out the middle of what it shows
// ("Enviados 6, recusados 2 … restam 0"), so that its start and its end stay readable; its
// text and its tooltip stay whole.
class ElidingLabel : public QLabel
{
public:
    explicit ElidingLabel(QWidget *parent)
        : QLabel(parent)
    {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.drawText(area, int(alignment()), fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
    }
};

} // namespace

StatusStrip::StatusStrip(QWidget *parent)
    : QStatusBar(parent)
    , m_account(new ElidingLabel(this))
    , m_held(new QPushButton(this))
    , m_session(new QLabel(this))
{
    setObjectName(QStringLiteral("StatusStrip"));
    m_account->setObjectName(QStringLiteral("LConta"));
    m_session->setObjectName(QStringLiteral("LSessao"));
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
