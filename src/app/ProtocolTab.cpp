#include "app/ProtocolTab.h"

#include "app/InconsistencyTable.h"
#include "app/ListView.h"
#include "app/Messages.h"
#include "app/ProgressStrip.h"
#include "common/Status.h"
#include "followup/BulkVerification.h"
#include "followup/InconsistencyRow.h"
#include "followup/ProtocolFollowup.h"
#include "followup/SingleCheck.h"
#include "lists/RecordList.h"
#include "transmission/ProtocolRecovery.h"
#include "widgets/TPersonBtn.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <limits>
#include <optional>

namespace tavro {

namespace {

const QString CheckFailedLine = QStringLiteral("Falha ao verificar o protocolo %1: %2");

} // namespace

ProtocolTab::ProtocolTab(QWidget *parent)
    : QWidget(parent)
    , m_list(newProtocolList(this))
{
    m_list->setTipRule([this](int row) { return m_heldTips.value(m_list->subCell(row, ProtocolCell::Protocolo)); });
    auto *layout = new QVBoxLayout(this);

    auto *filters = new QWidget(this);
    auto *filterLayout = new QHBoxLayout(filters);
    filterLayout->setContentsMargins(0, 0, 0, 0);
    CBProtocolosMostrarTodosCnes = addBox(filters, "CBProtocolosMostrarTodosCnes",
                                          QStringLiteral("Exibir protocolos de todos os CNES."), false);
    filterLayout->addSpacing(16);
    CBProtAguardando = addBox(filters, "CBProtAguardando", QStringLiteral("Aguardando"), true);
    CBProtFinalizados = addBox(filters, "CBProtFinalizados", QStringLiteral("Finalizados"), true);
    CBProtInconsistencias = addBox(filters, "CBProtInconsistencias", QStringLiteral("Inconsistências"), true);
    CBProtOk = addBox(filters, "CBProtOk", QStringLiteral("Ok"), true);
    CBProtOkRetificado = addBox(filters, "CBProtOkRetificado", QStringLiteral("Ok Retificado"), true);
    filterLayout->addSpacing(16);
    CBProtEstoque = addBox(filters, "CBProtEstoque", QStringLiteral("Estoque"), true);
    CBProtEntradas = addBox(filters, "CBProtEntradas", QStringLiteral("Entradas"), true);
    CBProtSaidas = addBox(filters, "CBProtSaidas", QStringLiteral("Saídas"), true);
    CBProtDispensacoes = addBox(filters, "CBProtDispensações", QStringLiteral("Dispensações"), true);
    filterLayout->addStretch();
    layout->addWidget(filters);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    LVProtocolos = new QTableView(splitter);
    LVProtocolos->setObjectName(QStringLiteral("LVProtocolos"));
    showRecordList(LVProtocolos, m_list);
    MProtocolos = new QPlainTextEdit(splitter);
    MProtocolos->setObjectName(QStringLiteral("MProtocolos"));
    MProtocolos->setLineWrapMode(QPlainTextEdit::NoWrap);
    MProtocolos->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MProtocolos->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    // The inconsistencies as a table below the list and the text output.
    auto *column = new QSplitter(Qt::Vertical, this);
    column->addWidget(splitter);
    TBInconsistencias = new InconsistencyTable(column);
    column->setStretchFactor(0, 3);
    column->setStretchFactor(1, 1);
    layout->addWidget(column, 1);

    auto *buttons = new QWidget(this);
    auto *buttonLayout = new QHBoxLayout(buttons);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    PBTodosProtocolos = new TPersonBtn(QStringLiteral("Verificar Todos os Protocolos"), buttons);
    PBTodosProtocolos->setObjectName(QStringLiteral("PBTodosProtocolos"));
    auto *vezes = new QLabel(QStringLiteral("Vezes"), buttons);
    SEProtocolosVezes = new QSpinBox(buttons);
    SEProtocolosVezes->setObjectName(QStringLiteral("SEProtocolosVezes"));
    SEProtocolosVezes->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    SEProtocolosVezes->setValue(1);
    vezes->setBuddy(SEProtocolosVezes);
    PBProtocolosProcessamento = new TPersonBtn(QStringLiteral("Processamento"), buttons);
    PBProtocolosProcessamento->setObjectName(QStringLiteral("PBProtocolosProcessamento"));
    PBProtocolosInconsistencia = new TPersonBtn(QStringLiteral("Inconsistencia"), buttons);
    PBProtocolosInconsistencia->setObjectName(QStringLiteral("PBProtocolosInconsistencia"));
    PBLiberarReenvio = new TPersonBtn(LiberarParaReenvioCaption, buttons);
    PBLiberarReenvio->setObjectName(QStringLiteral("PBLiberarReenvio"));
    PersonBtn1 = new TPersonBtn(QStringLiteral("Limpar texto"), buttons);
    PersonBtn1->setObjectName(QStringLiteral("PersonBtn1"));
    for (TPersonBtn *button :
         {PBTodosProtocolos, PBProtocolosProcessamento, PBProtocolosInconsistencia, PBLiberarReenvio, PersonBtn1})
        button->setVerRequeridos(false);
    buttonLayout->addWidget(PBTodosProtocolos);
    buttonLayout->addWidget(vezes);
    buttonLayout->addWidget(SEProtocolosVezes);
    buttonLayout->addSpacing(16);
    buttonLayout->addWidget(PBProtocolosProcessamento);
    buttonLayout->addWidget(PBProtocolosInconsistencia);
    buttonLayout->addSpacing(16);
    buttonLayout->addWidget(PBLiberarReenvio);
    buttonLayout->addStretch();
    buttonLayout->addWidget(PersonBtn1);
    layout->addWidget(buttons);

    connect(PersonBtn1, &QPushButton::clicked, MProtocolos, &QPlainTextEdit::clear);
    connect(PersonBtn1, &QPushButton::clicked, TBInconsistencias, &InconsistencyTable::clearRows);
    connect(PBProtocolosProcessamento, &QPushButton::clicked, this,
            [this] { singleCheckClick(PBProtocolosProcessamento, SingleCheck::Processamento); });
    connect(PBProtocolosInconsistencia, &QPushButton::clicked, this,
            [this] { singleCheckClick(PBProtocolosInconsistencia, SingleCheck::Inconsistencia); });
    connect(PBTodosProtocolos, &QPushButton::clicked, this, &ProtocolTab::PBTodosProtocolosClick);
    connect(PBLiberarReenvio, &QPushButton::clicked, this, &ProtocolTab::PBLiberarReenvioClick);
}

int ProtocolTab::selectedRow() const
{
    const QModelIndexList rows = LVProtocolos->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString ProtocolTab::selectedProtocol() const
{
    const int row = selectedRow();
    return row < 0 ? QString() : m_list->subCell(row, ProtocolCell::Protocolo);
}

void ProtocolTab::selectProtocol(const QString &protocolo)
{
    if (const int row = protocolRow(*m_list, protocolo); row >= 0)
        LVProtocolos->selectRow(row);
}

void ProtocolTab::selectHeld()
{
    LVProtocolos->clearSelection();
    QItemSelection held;
    for (int row = 0; row < m_list->rowCount(); ++row) {
        if (heldSituacao(m_list->subCellView(row, ProtocolCell::Situacao)))
            held.select(m_list->index(row, 0), m_list->index(row, m_list->columnCount() - 1));
    }
    if (held.isEmpty())
        return;
    LVProtocolos->selectionModel()->select(held, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    LVProtocolos->scrollTo(held.first().topLeft());
    LVProtocolos->setFocus();
}

void ProtocolTab::setHeld(const HeldRecords &held)
{
    m_heldTips.clear();
    for (const HeldBatch &batch : held.lotes)
        m_heldTips.insert(batch.protocolo, heldBatchAdvice(batch, m_services.unansweredAfter));
}

void ProtocolTab::runWithButton(TPersonBtn *button, const std::function<void(ProtocolFollowup &)> &body)
{
    const QString chosen = selectedProtocol();
    {
        const TPersonBtn::Busy busy(*button);
        m_busy = true;
        const auto idle = qScopeGuard([this] { m_busy = false; });
        guarded(*m_services.messages, this, [&] {
            ProtocolFollowup checks(*m_services.db, *m_services.client,
                                    [this](const QString &line) { MProtocolos->appendPlainText(line); });
            // A check that fails shows no box; without this line the operator would
            // take the unchanged row for a check that ran.
            checks.setHeadingOutput([this](const QString &line) { MProtocolos->appendPlainText(line); });
            checks.setRowOutput([this](const InconsistencyRow &row) { TBInconsistencias->append(row); });
            checks.setFailureOutput([this](const QString &protocolo, const QString &error) {
                MProtocolos->appendPlainText(CheckFailedLine.arg(protocolo, error));
            });
            body(checks);
        });
        m_services.reload();
    }
    // The reload loses the selection; the protocol just checked is chosen again, so
    // the next check goes to it rather than to "Selecione o protocolo!".
    selectProtocol(chosen);
}

void ProtocolTab::singleCheckClick(TPersonBtn *button, SingleCheck check)
{
    const int row = selectedRow();
    if (const QString refusal = singleCheckRefusal(*m_list, row, check); !refusal.isEmpty()) {
        m_services.messages->information(this, refusal);
        return;
    }
    runWithButton(button, [&](ProtocolFollowup &checks) { runSingleCheck(checks, *m_list, row, check); });
}

void ProtocolTab::PBTodosProtocolosClick()
{
    runWithButton(PBTodosProtocolos, [this](ProtocolFollowup &checks) {
        ProgressStrip *progress = m_services.progress;
        if (progress)
            progress->begin(true);
        const auto ended = qScopeGuard([progress] {
            if (progress)
                progress->end();
        });
        verificarTodosProtocolos(
            checks, *m_list, SEProtocolosVezes->value(), [this] { LVProtocolos->viewport()->repaint(); }, progress);
    });
}

void ProtocolTab::PBLiberarReenvioClick()
{
    const int row = selectedRow();
    if (row < 0) {
        m_services.messages->information(this, SelectProtocolMessage);
        return;
    }
    if (!heldSituacao(m_list->subCellView(row, ProtocolCell::Situacao))) {
        m_services.messages->information(this, SomenteSemRespostaMessage);
        return;
    }
    const QString protocolo = m_list->subCell(row, ProtocolCell::Protocolo);
    // The batch as it stands now: a batch past its answer window turns "Sem resposta" here,
    // and one whose answer log arrived is recorded.
    m_services.reload();
    selectProtocol(protocolo);
    std::optional<HeldBatch> batch;
    guarded(*m_services.messages, this, [&] {
        for (const HeldBatch &held : heldRecords(*m_services.db, QString()).lotes) {
            if (held.protocolo == protocolo)
                batch = held;
        }
    });
    if (!batch)
        m_services.messages->information(this, NenhumLoteSemRespostaMessage.arg(protocolo));
    else if (batch->situacao != Situacao::SemResposta)
        m_services.messages->information(this, notYetReleasableMessage(*batch, m_services.unansweredAfter));
    else
        releaseConfirmed(*batch);
}

void ProtocolTab::releaseConfirmed(const HeldBatch &batch)
{
    if (!m_services.messages->question(
            this,
            ReleaseRiskMessage.arg(batch.protocolo)
                + QStringLiteral("\nLiberar os %1 registro(s) do lote para reenvio?").arg(batch.registros)))
        return;
    runWithButton(PBLiberarReenvio, [&](ProtocolFollowup &) {
        MProtocolos->appendPlainText(releaseUnanswered(*m_services.db, batch.protocolo)
                                         ? LoteLiberadoMessage.arg(batch.protocolo)
                                         : NenhumLoteSemRespostaMessage.arg(batch.protocolo));
    });
}

QCheckBox *ProtocolTab::addBox(QWidget *strip, const char *name, const QString &caption, bool ticked)
{
    auto *box = new QCheckBox(caption, strip);
    box->setObjectName(QString::fromUtf8(name));
    box->setChecked(ticked);
    strip->layout()->addWidget(box);
    connect(box, &QCheckBox::clicked, this, &ProtocolTab::filterClicked);
    return box;
}

ProtocolFilter ProtocolTab::filter(const QString &cnes) const
{
    ProtocolFilter f;
    f.todosCnes = CBProtocolosMostrarTodosCnes->isChecked();
    f.cnes = cnes;
    f.estoque = CBProtEstoque->isChecked();
    f.entradas = CBProtEntradas->isChecked();
    f.saidas = CBProtSaidas->isChecked();
    f.dispensacoes = CBProtDispensacoes->isChecked();
    f.status = {CBProtAguardando->isChecked(), CBProtFinalizados->isChecked(), CBProtInconsistencias->isChecked(),
                CBProtOk->isChecked(), CBProtOkRetificado->isChecked()};
    return f;
}

} // namespace tavro
