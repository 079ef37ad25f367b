// The window's controls, their layout, tab order and connections.
#include "app/TForm1.h"

#include "app/EnterKey.h"
#include "app/ErrorLines.h"
#include "app/HelpWindow.h"
#include "app/LastSyncButton.h"
#include "app/Messages.h"
#include "app/MovementTab.h"
#include "app/ProgressStrip.h"
#include "app/ProtocolTab.h"
#include "app/SituacaoTab.h"
#include "app/StatusStrip.h"
#include "app/TFProcura.h"
#include "db/DateText.h"
#include "followup/ProtocolList.h"
#include "lists/ListKinds.h"
#include "lists/OverviewStatements.h"
#include "lists/RecordList.h"
#include "lists/StockDays.h"
#include "reports/DispensationListing.h"
#include "service/ErrorHint.h"
#include "service/SoapClient.h"
#include "session/AppConfig.h"
#include "session/HealthUnit.h"
#include "session/IniFile.h"
#include "sync/SyncSummary.h"
#include "transmission/ProtocolRecovery.h"
#include "transmission/ProtocolSummary.h"
#include "transmission/SendOperation.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionKind.h"
#include "widgets/DispensationPreview.h"
#include "widgets/ErrorDisplay.h"
#include "widgets/TPersonBtn.h"
#include "widgets/TPersonEdit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <limits>

namespace tavro {

namespace {

const QString WindowCaption = QStringLiteral("Vidozovevor WebService Tavro - Versão 2.43");

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromUtf8(name));
    return widget;
}

QLabel *labelAt(QWidget *parent, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->adjustSize();
    label->move(x, y);
    return label;
}

// The one text pane of a tab: long lines are not wrapped, and both scroll bars always show.
template <typename Pane>
Pane *textPane(QWidget *tab, const char *name)
{
    auto *pane = named(new Pane(tab), name);
    pane->setLineWrapMode(Pane::NoWrap);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    (new QVBoxLayout(tab))->addWidget(pane);
    return pane;
}

TPersonEdit *personEdit(QWidget *parent, const char *name, const QString &label, QRect geometry)
{
    auto *edit = named(new TPersonEdit(parent), name);
    edit->setGeometry(geometry);
    edit->setLabelText(label);
    return edit;
}

} // namespace

TForm1::TForm1(ConfigPlaces places, Messages &messages, QWidget *parent)
    : QMainWindow(parent)
    , m_messages(messages)
    , m_places(std::move(places))
    , ArquivoConfig(m_places.ini())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(WindowCaption);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(11, 4, 11, 4);
    layout->addWidget(buildHeader());

    PageControl1 = named(new QTabWidget(central), "PageControl1");
    PageControl1->tabBar()->setExpanding(false);
    PageControl1->setUsesScrollButtons(false);
    TSEstoque = buildMovementTab(MovementKind::Estoque, "Es", "Estoque");
    auto *dayLabel = new QLabel(QStringLiteral("Estoque do dia:"), TSEstoque);
    CBEstoqueDia = named(new QComboBox(TSEstoque), "CBEstoqueDia");
    CBEstoqueDia->setMinimumWidth(110);
    dayLabel->setBuddy(CBEstoqueDia);
    TSEstoque->strip()->insertWidget(0, dayLabel);
    TSEstoque->strip()->insertWidget(1, CBEstoqueDia);
    TSEstoque->strip()->insertSpacing(2, 12);
    TSEstoque->setEmptyListText(EscolhaODiaHint);
    TSEntradas = buildMovementTab(MovementKind::Entradas, "En", "Entradas");
    TSSaidas = buildMovementTab(MovementKind::Saidas, "Sa", "Saidas");
    TSDispensacoes = buildMovementTab(MovementKind::Dispensacoes, "Di", "Dispensacoes");
    PBEstoque = addTransmitButton(*TSEstoque, "PBEstoque", MovementKind::Estoque);
    SEEstoqueVezes = addRepeatCount(*TSEstoque, "SEEstoqueVezes");
    PBEntradas = addTransmitButton(*TSEntradas, "PBEntradas", MovementKind::Entradas);
    SEEntradasVezes = addRepeatCount(*TSEntradas, "SEEntradasVezes");
    PBSaidas = addTransmitButton(*TSSaidas, "PBSaidas", MovementKind::Saidas);
    SESaidasVezes = addRepeatCount(*TSSaidas, "SESaidasVezes");
    PBDispensacao = addTransmitButton(*TSDispensacoes, "PBDispensacao", MovementKind::Dispensacoes);
    PBSemCartaoSus = addTransmitButton(*TSDispensacoes, "PBSemCartaoSus", MovementKind::SemCartao);
    SEDispensacoesVezes = addRepeatCount(*TSDispensacoes, "SEDispensacoesVezes");
    PBDispImprimir = named(new TPersonBtn(QStringLiteral("Imprimir"), TSDispensacoes), "PBDispImprimir");
    TSDispensacoes->buttons()->addWidget(PBDispImprimir);
    TSErros = named(new QWidget(PageControl1), "TSErros");
    REErros = textPane<QTextEdit>(TSErros, "REErros");
    TabSheet7 = named(new QWidget(PageControl1), "TabSheet7");
    Memo2 = textPane<QPlainTextEdit>(TabSheet7, "Memo2");
    TSProtocolos = named(new ProtocolTab(PageControl1), "TSProtocolos");
    TSSituacao = named(new SituacaoTab(PageControl1), "TSSituacao");
    PageControl1->addTab(TSEstoque, QStringLiteral("Estoque"));
    PageControl1->addTab(TSEntradas, QStringLiteral("Entradas"));
    PageControl1->addTab(TSSaidas, QStringLiteral("Saídas"));
    PageControl1->addTab(TSDispensacoes, QStringLiteral("Dispensações"));
    PageControl1->addTab(TSErros, QStringLiteral("Erros"));
    PageControl1->addTab(TabSheet7, QStringLiteral("Retornos"));
    PageControl1->addTab(TSProtocolos, QStringLiteral("Protocolos"));
    PageControl1->addTab(TSSituacao, QStringLiteral("Situação"));
    layout->addWidget(PageControl1, 1);
    m_errorLines = new ErrorLines(REErros, PageControl1, TSErros);

    LAguarde = named(new QLabel(central), "LAguarde");
    QFont waitFont = LAguarde->font();
    waitFont.setPixelSize(19);
    waitFont.setBold(true);
    waitFont.setItalic(true);
    LAguarde->setFont(waitFont);
    LAguarde->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    LAguarde->setMinimumHeight(26);
    auto *statusStrip = new QHBoxLayout();
    statusStrip->addWidget(LAguarde, 1);
    m_progress = named(new ProgressStrip(central), "Progresso");
    statusStrip->addWidget(m_progress);
    layout->addLayout(statusStrip);
    // Which config.ini files and which log folder this window uses, for support calls.
    LArquivos = named(new QLabel(m_places.description().join(QStringLiteral(" · ")), central), "LArquivos");
    LArquivos->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LArquivos->setWordWrap(true);
    layout->addWidget(LArquivos);
    // The strip first: setting a status bar deletes the one before it, with what it holds.
    m_statusStrip = new StatusStrip(this);
    setStatusBar(m_statusStrip);
    m_lastSync = named(new LastSyncButton(m_messages, m_statusStrip), "LastSync");
    m_statusStrip->addPermanentWidget(m_lastSync);
    Memo1 = named(new QPlainTextEdit(central), "Memo1");
    Memo1->hide();
    setCentralWidget(central);

    FProcura = new TFProcura(m_messages, this);
    m_heldTimer = new QTimer(this);
    m_heldTimer->setObjectName(QStringLiteral("TimerRetidos"));
    m_heldTimer->setInterval(60 * 1000);
    // Refused field values and required-field checks reach the operator as every other error.
    setErrorDisplay([this](QWidget *source, const QString &message) { m_messages.standardError(source, message); },
                    this);

    setTabOrder();
    qApp->installEventFilter(this);

    connect(BValidar, &QPushButton::clicked, this, &TForm1::BValidarClick);
    connect(BtnPesquisar, &QPushButton::clicked, this, &TForm1::BtnPesquisarClick);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::BtnPesquisarClick);
    connect(PEDataInicial, &TPersonEdit::exited, this, [this] { periodFieldExit(PEDataInicial); });
    connect(PEDataFinal, &TPersonEdit::exited, this, [this] { periodFieldExit(PEDataFinal); });
    connect(CBExibirSemCodigo, &QCheckBox::clicked, this, &TForm1::BtnPesquisarClick);
    connect(TSProtocolos, &ProtocolTab::filterClicked, this, &TForm1::CarregaProtocolos);
    connect(TSEstoque, &MovementTab::filterClicked, this, &TForm1::CBEstoqueDiaChange);
    connect(TSEstoque, &MovementTab::protocolChosen, this, &TForm1::CBEstoqueDiaChange);
    connect(CBEstoqueDia, &QComboBox::currentIndexChanged, this, &TForm1::CBEstoqueDiaChange);
    connect(TSEntradas, &MovementTab::filterClicked, this, &TForm1::BuscaEntradas);
    connect(TSSaidas, &MovementTab::filterClicked, this, &TForm1::BuscaSaidas);
    connect(TSDispensacoes, &MovementTab::filterClicked, this, &TForm1::BuscaDispensacoes);
    for (MovementTab *tab : {TSEntradas, TSSaidas, TSDispensacoes})
        connect(tab, &MovementTab::protocolChosen, this, &TForm1::BtnPesquisarClick);
    connect(PECodigoUnidade, &TPersonEdit::exited, this, &TForm1::PECodigoUnidadeExit);
    connect(SPProfissional, &QToolButton::clicked, this, &TForm1::SPProfissionalClick);
    connect(PBDispImprimir, &QPushButton::clicked, this, &TForm1::PBDispImprimirClick);
    for (const auto &[button, vezes, tab, kind] :
         {std::tuple{PBEstoque, SEEstoqueVezes, TSEstoque, MovementKind::Estoque},
          std::tuple{PBEntradas, SEEntradasVezes, TSEntradas, MovementKind::Entradas},
          std::tuple{PBSaidas, SESaidasVezes, TSSaidas, MovementKind::Saidas},
          std::tuple{PBDispensacao, SEDispensacoesVezes, TSDispensacoes, MovementKind::Dispensacoes},
          std::tuple{PBSemCartaoSus, SEDispensacoesVezes, TSDispensacoes, MovementKind::SemCartao}}) {
        connect(button, &QPushButton::clicked, this,
                [this, button, vezes, tab, kind] { transmitClick(button, vezes, *tab, kind); });
    }
    connect(qApp, &QApplication::focusChanged, this, &TForm1::focusChanged);
    connect(TSSituacao, &SituacaoTab::refreshRequested, this, &TForm1::CarregaSituacao);
    connect(TSSituacao, &SituacaoTab::choiceClicked, this, &TForm1::SituacaoClick);
    connect(TSSituacao, &SituacaoTab::sendAllRequested, this, &TForm1::PBEnviarTudoClick);
    connect(TSSituacao, &SituacaoTab::pendenciasRequested, this, &TForm1::PendenciasClick);
    connect(m_errorLines, &ErrorLines::rowRequested, this, &TForm1::openRefusedRow);
    connect(m_heldTimer, &QTimer::timeout, this, &TForm1::heldTimerTick);
    connect(BAjuda, &QPushButton::clicked, this, &TForm1::BAjudaClick);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this, &TForm1::BAjudaClick);
    connect(m_statusStrip->heldButton(), &QPushButton::clicked, this, [this] {
        PageControl1->setCurrentWidget(TSProtocolos); // reloads the list
        TSProtocolos->selectHeld();
    });
}

TForm1::~TForm1()
{
    // The application outlives the window: its focus signal lets go of the window before the
    // window's members and children go, whose deletion moves the focus.
    disconnect(qApp, &QApplication::focusChanged, this, &TForm1::focusChanged);
}

QWidget *TForm1::buildHeader()
{
    auto *header = named(new QWidget(this), "Header");
    header->setFixedHeight(76);
    const int row1 = 8, row2 = 42, h = 24;

    labelAt(header, QStringLiteral("Usuário:"), 0, row1 + 4);
    EUsuario = named(new QLineEdit(header), "EUsuario");
    EUsuario->setGeometry(58, row1, 120, h);
    labelAt(header, QStringLiteral("Senha:"), 190, row1 + 4);
    ESenha = named(new QLineEdit(header), "ESenha");
    ESenha->setEchoMode(QLineEdit::Password);
    ESenha->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // "*", not the style's dot
    ESenha->setGeometry(238, row1, 110, h);
    BValidar = named(new QPushButton(QStringLiteral("Login"), header), "BValidar");
    BValidar->setGeometry(356, row1 - 1, 76, h + 2);

    SPProfissional = named(new QToolButton(header), "SPProfissional");
    SPProfissional->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    SPProfissional->setGeometry(586, row1, h, h);
    SPProfissional->setFocusPolicy(Qt::NoFocus); // a picture button outside the header's tab order
    PECodCNES = personEdit(header, "PECodCNES", QStringLiteral("CNES Unidade:"), QRect(712, row1, 74, h));
    PECodCNES->setMaxLength(7);
    PECodCNES->setRequerido(true);
    PECodCNES->setEnabled(false);
    PECodIBGE = personEdit(header, "PECodIBGE", QStringLiteral("IBGE:"), QRect(830, row1, 74, h));
    PECodIBGE->setMaxLength(7);
    PECodIBGE->setRequerido(true);
    PECodIBGE->setEnabled(false);
    // Created after CNES and IBGE: a checking button names the first empty required
    // field in this order.
    PECodigoUnidade = personEdit(header, "PECodigoUnidade", QStringLiteral("Unidade:"), QRect(510, row1, 74, h));
    PECodigoUnidade->setMaxLength(7);
    PECodigoUnidade->setRequerido(true);
    LNomeUnidade = named(new QLabel(QStringLiteral("."), header), "LNomeUnidade");
    QFont unitFont = LNomeUnidade->font();
    unitFont.setBold(true);
    LNomeUnidade->setFont(unitFont);
    LNomeUnidade->setGeometry(916, row1, 420, h);

    PEDataInicial = personEdit(header, "PEDataInicial", QStringLiteral("Período:"), QRect(58, row2, 90, h));
    PEDataInicial->setTipo(TPersonEdit::peData);
    PEDataInicial->setText(ConfigKey::DefaultDataInicial);
    PEDataFinal = personEdit(header, "PEDataFinal", QStringLiteral("a"), QRect(166, row2, 90, h));
    PEDataFinal->setTipo(TPersonEdit::peData);
    PEDataFinal->setText(ConfigKey::DefaultDataFinal);
    BtnPesquisar = named(new QPushButton(QStringLiteral("Pesquisar"), header), "BtnPesquisar");
    BtnPesquisar->setGeometry(268, row2 - 1, 96, h + 2);
    labelAt(header, QStringLiteral("Transmitir"), 384, row2 + 4);
    SEQuantidadeRegistros = named(new QSpinBox(header), "SEQuantidadeRegistros");
    SEQuantidadeRegistros->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    SEQuantidadeRegistros->setValue(DefaultLoteMaximo);
    SEQuantidadeRegistros->setGeometry(450, row2, 80, h);
    labelAt(header, QStringLiteral("registros."), 536, row2 + 4);
    CBExibirSemCodigo = named(new QCheckBox(QStringLiteral("Exibir produtos sem código"), header), "CBExibirSemCodigo");
    CBExibirSemCodigo->setGeometry(620, row2, 240, h);
    BAjuda = named(new QPushButton(QStringLiteral("Ajuda"), header), "BAjuda");
    BAjuda->setGeometry(880, row2 - 1, 76, h + 2);
    BAjuda->setFocusPolicy(Qt::NoFocus); // outside the header's tab order, as F1 does the same
    return header;
}

MovementTab *TForm1::buildMovementTab(MovementKind kind, const char *prefix, const char *name)
{
    auto *tab = new MovementTab(kind, QString::fromLatin1(prefix), QString::fromLatin1(name), PageControl1);
    tab->setObjectName(QStringLiteral("TS") + QString::fromLatin1(name));
    return tab;
}

void TForm1::setTabOrder()
{
    const QList<QWidget *> order = {
        EUsuario,      ESenha,      BValidar,     PECodigoUnidade,       PECodCNES,        PECodIBGE,
        PEDataInicial, PEDataFinal, BtnPesquisar, SEQuantidadeRegistros, CBExibirSemCodigo};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

void TForm1::BAjudaClick()
{
    if (!m_help)
        m_help = new HelpWindow(this);
    m_help->showPage(PageControl1->isEnabled() ? guidePageOfTab(PageControl1->currentWidget()->objectName())
                                               : QStringLiteral("inicio.html"));
}

TPersonBtn *TForm1::addTransmitButton(MovementTab &tab, const char *name, MovementKind kind)
{
    auto *button = named(new TPersonBtn(kindFacts(kind).button, &tab), name);
    button->setVerRequeridos(false);
    tab.buttons()->addWidget(button);
    return button;
}

QSpinBox *TForm1::addRepeatCount(MovementTab &tab, const char *name)
{
    auto *label = new QLabel(QStringLiteral("Vezes"), &tab);
    auto *vezes = named(new QSpinBox(&tab), name);
    vezes->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    vezes->setValue(10);
    label->setBuddy(vezes);
    tab.buttons()->addWidget(label);
    tab.buttons()->addWidget(vezes);
    tab.buttons()->addStretch();
    return vezes;
}

} // namespace tavro
