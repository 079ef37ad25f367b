#include "app/MovementTab.h"

#include "app/RecordView.h"
#include "lists/ListCounts.h"
#include "lists/RecordList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace tavro {

MovementTab::MovementTab(MovementKind kind, const QString &prefix, const QString &name, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_list(newMovementList(kind, this))
{
    auto *layout = new QVBoxLayout(this);
    m_strip = new QHBoxLayout();
    auto *label = new QLabel(QStringLiteral("Retransmitir Protocolo:"), this);
    m_protocols = new QComboBox(this);
    m_protocols->setObjectName(QStringLiteral("CBProtocolos") + name);
    m_protocols->setMinimumWidth(180);
    // Entries show their date and kind beside the number: the box grows to show them whole.
    m_protocols->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_protocols->addItem(QString(), QString());
    label->setBuddy(m_protocols);
    m_strip->addWidget(label);
    m_strip->addWidget(m_protocols);
    m_strip->addSpacing(12);
    m_aguardando = addBox(QStringLiteral("CB%1ExibirAguardando").arg(prefix), QStringLiteral("Aguardando"));
    m_finalizado = addBox(QStringLiteral("CB%1ExibirFinalizado").arg(prefix), QStringLiteral("Finalizados"));
    m_inconsistencia = addBox(QStringLiteral("CB%1ExibirInconsistencia").arg(prefix),
                              QStringLiteral("Inconsistências"));
    m_ok = addBox(QStringLiteral("CB%1ExibirOk").arg(prefix), QStringLiteral("Ok"));
    m_okRetificado = addBox(QStringLiteral("CB%1ExibirOkRetificado").arg(prefix), QStringLiteral("Ok Retificado"));
    m_protSelecionado = addBox(QStringLiteral("CB%1ExibirProtSelecionado").arg(prefix),
                               QStringLiteral("Protoc. Selecionado"));
    m_protSelecionado->setChecked(false);
    m_strip->addStretch();
    layout->addLayout(m_strip);

    m_view = new RecordView(m_list, this);
    m_view->setObjectName(QStringLiteral("LV") + name);
    layout->addWidget(m_view, 1);
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("LContagem") + name);
    layout->addWidget(m_counts);
    m_countTimer = new QTimer(this);
    m_countTimer->setSingleShot(true);
    m_countTimer->setInterval(0);
    connect(m_countTimer, &QTimer::timeout, this, &MovementTab::showCounts);
    connect(m_list, &QAbstractItemModel::modelReset, this, &MovementTab::showCounts);
    connect(m_list, &QAbstractItemModel::dataChanged, m_countTimer, qOverload<>(&QTimer::start));
    showCounts();
    m_buttons = new QHBoxLayout();
    layout->addLayout(m_buttons);

    connect(m_protocols, &QComboBox::activated, this, &MovementTab::protocolChosen);
}

QCheckBox *MovementTab::addBox(const QString &name, const QString &caption)
{
    auto *box = new QCheckBox(caption, this);
    box->setObjectName(name);
    box->setChecked(true);
    m_strip->addWidget(box);
    connect(box, &QCheckBox::clicked, this, &MovementTab::filterClicked);
    return box;
}

StatusBoxes MovementTab::statusBoxes() const
{
    return StatusBoxes{m_aguardando->isChecked(), m_finalizado->isChecked(), m_inconsistencia->isChecked(),
                       m_ok->isChecked(), m_okRetificado->isChecked()};
}

void MovementTab::setStatusBoxes(const StatusBoxes &boxes)
{
    m_aguardando->setChecked(boxes.aguardando);
    m_finalizado->setChecked(boxes.finalizados);
    m_inconsistencia->setChecked(boxes.inconsistencias);
    m_ok->setChecked(boxes.ok);
    m_okRetificado->setChecked(boxes.okRetificado);
}

bool MovementTab::protocoloSelecionado() const
{
    return m_protSelecionado->isChecked();
}

void MovementTab::setProtocoloSelecionado(bool ticked)
{
    m_protSelecionado->setChecked(ticked);
}

QString MovementTab::protocolo() const
{
    return m_protocols->currentData().toString();
}

void MovementTab::setProtocols(const QList<ProtocolSummary> &protocols)
{
    const QString chosen = protocolo();
    const QSignalBlocker blocker(m_protocols);
    m_protocols->clear();
    for (const ProtocolSummary &protocol : protocols)
        m_protocols->addItem(protocol.descricao(), protocol.protocolo);
    m_protocols->setCurrentIndex(
        m_protocols->findData(chosen, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void MovementTab::showCounts()
{
    m_countTimer->stop();
    m_counts->setText(countRows(*m_list).text());
}

void MovementTab::setEmptyListText(const QString &text)
{
    m_view->setEmptyText(text);
}

void MovementTab::focusList()
{
    m_view->setFocus();
}

bool MovementTab::showRow(const QString &caption)
{
    for (int row = 0; row < m_list->rowCount(); ++row) {
        if (m_list->caption(row) == caption) {
            // The focus first: arriving in a tab may reload its list, which drops any selection.
            m_view->setFocus();
            const QModelIndex index = m_list->index(row, 0);
            m_view->setCurrentIndex(index);
            m_view->selectRow(row);
            m_view->scrollTo(index, QAbstractItemView::PositionAtCenter);
            return true;
        }
    }
    return false;
}

} // namespace tavro
