#include "app/PendenciasView.h"

#include "sync/PendenciasReport.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavro {

namespace {

// The row a tree item stands for: its group, subject and row indices.
constexpr int RowRole = Qt::UserRole;

enum Column { Nome, Registros, Lista, Data, Mensagem };

} // namespace

PendenciasView::PendenciasView(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FPendencias"));
    setWindowTitle(QStringLiteral("Pendências de cadastro"));
    resize(1100, 600);
    auto *layout = new QVBoxLayout(this);
    LPendenciasResumo = new QLabel(this);
    LPendenciasResumo->setObjectName(QStringLiteral("LPendenciasResumo"));
    layout->addWidget(LPendenciasResumo);
    LVPendencias = new QTreeWidget(this);
    LVPendencias->setObjectName(QStringLiteral("LVPendencias"));
    LVPendencias->setHeaderLabels({QStringLiteral("Grupo / assunto / lançamento"), QStringLiteral("Registros"),
                                   QStringLiteral("Lista"), QStringLiteral("Data"), QStringLiteral("Mensagem")});
    LVPendencias->setAlternatingRowColors(true);
    LVPendencias->setUniformRowHeights(true);
    LVPendencias->header()->resizeSection(Nome, 380);
    LVPendencias->header()->resizeSection(Registros, 80);
    LVPendencias->header()->resizeSection(Lista, 110);
    LVPendencias->header()->resizeSection(Data, 90);
    layout->addWidget(LVPendencias, 1);
    auto *buttons = new QDialogButtonBox(this);
    BtnPendenciasImprimir = buttons->addButton(QStringLiteral("Imprimir"), QDialogButtonBox::ActionRole);
    BtnPendenciasImprimir->setObjectName(QStringLiteral("BtnPendenciasImprimir"));
    BtnPendenciasExportar = buttons->addButton(QStringLiteral("Exportar"), QDialogButtonBox::ActionRole);
    BtnPendenciasExportar->setObjectName(QStringLiteral("BtnPendenciasExportar"));
    buttons->addButton(QStringLiteral("Fechar"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(BtnPendenciasImprimir, &QPushButton::clicked, this, &PendenciasView::printRequested);
    connect(BtnPendenciasExportar, &QPushButton::clicked, this, &PendenciasView::exportRequested);
    connect(LVPendencias, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        const QVariant at = item->data(Nome, RowRole);
        if (!at.isValid())
            return; // a group or a subject opens and closes
        const QList<int> path = at.value<QList<int>>();
        Q_EMIT rowRequested(m_pendencias.grupos.at(path.at(0)).itens.at(path.at(1)).rows.at(path.at(2)));
    });
}

void PendenciasView::show(Pendencias pendencias)
{
    m_pendencias = std::move(pendencias);
    QString resumo = pendenciasText(m_pendencias);
    if (m_pendencias.interrompido)
        resumo += QStringLiteral(" (interrompido pelo usuário: a lista está incompleta)");
    LPendenciasResumo->setText(resumo);
    LVPendencias->clear();
    QList<QTreeWidgetItem *> groups;
    for (int g = 0; g < m_pendencias.grupos.size(); ++g) {
        const PendenciaGroup &group = m_pendencias.grupos.at(g);
        auto *groupItem = new QTreeWidgetItem({group.aviso ? group.titulo + QStringLiteral(" (aviso)") : group.titulo,
                                               QString::number(group.registros())});
        QFont bold = groupItem->font(Nome);
        bold.setBold(true);
        groupItem->setFont(Nome, bold);
        for (int i = 0; i < group.itens.size(); ++i) {
            const PendenciaItem &item = group.itens.at(i);
            auto *subject = new QTreeWidgetItem(groupItem, {item.assunto, QString::number(item.rows.size())});
            for (int r = 0; r < item.rows.size(); ++r) {
                const PendenciaRow &row = item.rows.at(r);
                auto *rowItem = new QTreeWidgetItem(
                    subject, {row.chave, QString(), listKind(row.list).caption, row.data, row.texto});
                rowItem->setData(Nome, RowRole, QVariant::fromValue(QList<int>{g, i, r}));
                rowItem->setToolTip(Mensagem, row.texto);
            }
        }
        groups.append(groupItem);
    }
    LVPendencias->addTopLevelItems(groups);
    QDialog::show();
    raise();
    activateWindow();
}

} // namespace tavro
