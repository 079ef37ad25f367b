#include "app/TForm1.h"

#include "app/DataFolderStart.h"
#include "app/EnterKey.h"
#include "app/ErrorLines.h"
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
#include "transmission/DispensacaoSemSusTransmission.h"
#include "transmission/DispensacaoTransmission.h"
#include "transmission/EntradaTransmission.h"
#include "transmission/EstoqueTransmission.h"
#include "transmission/LogRetention.h"
#include "transmission/ProtocolRecovery.h"
#include "transmission/ProtocolSummary.h"
#include "transmission/SaidaTransmission.h"
#include "transmission/Transmission.h"
#include "transmission/TransmissionAccount.h"
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
#include <QNetworkAccessManager>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
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
    TSEntradas = buildMovementTab(MovementKind::Entradas, "En", "Entradas");
    TSSaidas = buildMovementTab(MovementKind::Saidas, "Sa", "Saidas");
    TSDispensacoes = buildMovementTab(MovementKind::Dispensacoes, "Di", "Dispensacoes");
    PBEstoque = addTransmitButton(*TSEstoque, "PBEstoque", QStringLiteral("Transmitir Estoque"));
    SEEstoqueVezes = addRepeatCount(*TSEstoque, "SEEstoqueVezes");
    PBEntradas = addTransmitButton(*TSEntradas, "PBEntradas", QStringLiteral("Transmitir Entradas"));
    SEEntradasVezes = addRepeatCount(*TSEntradas, "SEEntradasVezes");
    PBSaidas = addTransmitButton(*TSSaidas, "PBSaidas", QStringLiteral("Transmitir Saidas"));
    SESaidasVezes = addRepeatCount(*TSSaidas, "SESaidasVezes");
    PBDispensacao = addTransmitButton(*TSDispensacoes, "PBDispensacao", QStringLiteral("Transmitir Dispensações"));
    PBSemCartaoSus = addTransmitButton(*TSDispensacoes, "PBSemCartaoSus", QStringLiteral("Trans. Sem Cartão SUS"));
    SEDispensacoesVezes = addRepeatCount(*TSDispensacoes, "SEDispensacoesVezes");
    PBDispImprimir = named(new TPersonBtn(QStringLiteral("Imprimir"), TSDispensacoes), "PBDispImprimir");
    TSDispensacoes->buttons()->addWidget(PBDispImprimir);
    TSErros = named(new QWidget(PageControl1), "TSErros");
    REErros = named(new QTextEdit(TSErros), "REErros");
    REErros->setLineWrapMode(QTextEdit::NoWrap);
    REErros->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    REErros->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    (new QVBoxLayout(TSErros))->addWidget(REErros);
    TabSheet7 = named(new QWidget(PageControl1), "TabSheet7");
    Memo2 = named(new QPlainTextEdit(TabSheet7), "Memo2");
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    (new QVBoxLayout(TabSheet7))->addWidget(Memo2);
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
    Memo1 = named(new QPlainTextEdit(central), "Memo1");
    Memo1->hide();
    setCentralWidget(central);
    m_statusStrip = new StatusStrip(this);
    setStatusBar(m_statusStrip);
    m_lastSync = named(new LastSyncButton(m_messages, m_statusStrip), "LastSync");
    m_statusStrip->addPermanentWidget(m_lastSync);

    FProcura = new TFProcura(m_messages, this);
    m_network = new QNetworkAccessManager(this);
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
    connect(PBEstoque, &QPushButton::clicked, this, &TForm1::PBEstoqueClick);
    connect(PBEntradas, &QPushButton::clicked, this, &TForm1::PBEntradasClick);
    connect(PBSaidas, &QPushButton::clicked, this, &TForm1::PBSaidasClick);
    connect(PBDispensacao, &QPushButton::clicked, this, &TForm1::PBDispensacaoClick);
    connect(PBSemCartaoSus, &QPushButton::clicked, this, &TForm1::PBSemCartaoSusClick);
    connect(qApp, &QApplication::focusChanged, this, &TForm1::focusChanged);
    connect(TSSituacao, &SituacaoTab::refreshRequested, this, &TForm1::CarregaSituacao);
    connect(TSSituacao, &SituacaoTab::choiceClicked, this, &TForm1::SituacaoClick);
    connect(m_errorLines, &ErrorLines::rowRequested, this, &TForm1::openRefusedRow);
}

TForm1::~TForm1() = default;

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
    ESenha->setGeometry(238, row1, 110, h);
    BValidar = named(new QPushButton(QStringLiteral("Login"), header), "BValidar");
    BValidar->setGeometry(356, row1 - 1, 76, h + 2);

    SPProfissional = named(new QToolButton(header), "SPProfissional");
    SPProfissional->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    SPProfissional->setGeometry(586, row1, h, h);
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
    SEQuantidadeRegistros->setValue(500);
    SEQuantidadeRegistros->setGeometry(450, row2, 80, h);
    labelAt(header, QStringLiteral("registros."), 536, row2 + 4);
    CBExibirSemCodigo = named(new QCheckBox(QStringLiteral("Exibir produtos sem código"), header), "CBExibirSemCodigo");
    CBExibirSemCodigo->setGeometry(620, row2, 240, h);
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

bool TForm1::FormCreate()
{
    LAguarde->clear();
    if (!startDataFolder(m_places.data, m_messages, this, [this](const QString &line) { REErros->append(line); }))
        return false;
    m_lastSync->load(lastSummaryPath(m_places.data.path));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(qMin(1280, area.width()), qMin(760, area.height()));
        move(area.center() - rect().center());
    }

    const StartupConfig config = readStartupConfig(ArquivoConfig);
    try {
        IBDatabase1.open(config.database);
        IBDatabase1.startTransaction();
    } catch (const Error &error) {
        m_messages.error(this, QString(), DatabaseNotFoundMessage + config.database);
        m_messages.standardError(this, error.message());
        return false;
    }

    HTTPRIO2 = programSoapClient(*m_network, ArquivoConfig, m_places.logFolder(), m_login,
                                 [this](const QString &line) { REErros->append(line); });
    TSProtocolos->setServices({&IBDatabase1, HTTPRIO2.get(), &m_messages, [this] { CarregaProtocolos(); }, m_progress});
    PECodIBGE->setText(config.ibge);
    PECodCNES->setText(config.cnesFarmacia);
    DataInicialConfig = config.dataInicial;
    DataFinalConfig = config.dataFinal;

    // Batches the service accepted but a run that failed or died could not record.
    guarded(m_messages, this, [&] {
        const RecoveryReport recovery = recoverProtocols(IBDatabase1, m_places.logFolder(), QDate::currentDate());
        for (const QString &line : recovery.recovered + recovery.failures)
            REErros->append(line);
    });
    guarded(m_messages, this, [&] {
        for (const QString &line : removeOldLogs(IBDatabase1, m_places.logFolder(), logRetentionDays(ArquivoConfig)))
            REErros->append(line);
    });
    guarded(m_messages, this, [&] {
        const HealthUnit unit = findUnitAtStartup(IBDatabase1, PECodCNES->text());
        PECodigoUnidade->setText(unit.codigo);
        LNomeUnidade->setText(unit.nome);
    });
    showSession();
    CarregaProtocolos();
    return true;
}

void TForm1::FormShow()
{
    BtnPesquisar->setEnabled(false);
    PageControl1->setEnabled(false);
    {
        const QSignalBlocker blocker(PageControl1); // choosing the tab by program searches nothing
        PageControl1->setCurrentWidget(TSProtocolos);
    }
    PEDataInicial->setText(DataInicialConfig);
    PEDataFinal->setText(DataFinalConfig);
    guarded(m_messages, this, [&] {
        const QStringList days = stockDays(IBDatabase1);
        const QSignalBlocker blocker(CBEstoqueDia);
        CBEstoqueDia->clear();
        CBEstoqueDia->addItems(days);
        CBEstoqueDia->setCurrentIndex(days.isEmpty() ? -1 : 0);
    });
    CBEstoqueDiaChange();
    EUsuario->setFocus();
}

void TForm1::BValidarClick()
{
    PageControl1->setEnabled(false);
    BtnPesquisar->setEnabled(false);
    try {
        switch (login(IBDatabase1, EUsuario->text(), ESenha->text(), m_login)) {
        case LoginResult::Incomplete:
            break;
        case LoginResult::Refused:
            m_messages.information(this, LoginRefusedMessage);
            EUsuario->clear();
            ESenha->clear();
            EUsuario->setFocus();
            break;
        case LoginResult::Unlocked:
            BtnPesquisar->setEnabled(true);
            PageControl1->setEnabled(true);
            PECodigoUnidade->setFocus();
            break;
        case LoginResult::Restricted:
            PECodigoUnidade->setFocus();
            break;
        }
    } catch (const Error &error) {
        m_messages.error(this, LoginErrorTitle, error.message());
    }
    showSession();
    CarregaProtocolos();
}

void TForm1::BtnPesquisarClick()
{
    searchActiveTab(nullptr);
}

void TForm1::periodFieldExit(const TPersonEdit *field)
{
    searchActiveTab(field);
}

void TForm1::searchActiveTab(const TPersonEdit *leftField)
{
    guarded(m_messages, this, [&] {
        gravaini(m_places.config, ConfigKey::Tavro, ConfigKey::DataInicial, PEDataInicial->maskedText());
        gravaini(m_places.config, ConfigKey::Tavro, ConfigKey::DataFinal, PEDataFinal->maskedText());
        QWidget *active = PageControl1->currentWidget();
        if (active == TSEntradas || active == TSSaidas || active == TSDispensacoes)
            searchPeriod(*static_cast<MovementTab *>(active), leftField);
        else if (active == TSEstoque)
            BuscaConciliacoes();
        else if (active == TSSituacao)
            CarregaSituacao();
        CarregaProtocolos();
        LAguarde->clear();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
}

void TForm1::BuscaConciliacoes()
{
    const QString remembered = CBEstoqueDia->currentText();
    const QStringList days = stockDays(IBDatabase1);
    const QSignalBlocker blocker(CBEstoqueDia);
    CBEstoqueDia->clear();
    CBEstoqueDia->addItems(days);
    CBEstoqueDia->setCurrentIndex(days.indexOf(remembered));
}

void TForm1::BuscaEntradas()
{
    guarded(m_messages, this, [&] { searchPeriod(*TSEntradas); });
}

void TForm1::BuscaSaidas()
{
    guarded(m_messages, this, [&] { searchPeriod(*TSSaidas); });
}

void TForm1::BuscaDispensacoes()
{
    guarded(m_messages, this, [&] { searchPeriod(*TSDispensacoes); });
}

void TForm1::searchPeriod(MovementTab &tab, const TPersonEdit *leftField)
{
    const QString emptyDate = QString::fromUtf16(EmptyDateMask);
    if (!PageControl1->isEnabled() || PEDataInicial->maskedText() == emptyDate
        || PEDataFinal->maskedText() == emptyDate)
        return;
    // An impossible day is refused in the field's own words before the database would
    // refuse it in its English ones. A field being left says it itself as it takes the
    // focus back, so its refusal is not shown twice.
    QString refusal = PEDataInicial->refusal();
    if (refusal.isEmpty())
        refusal = PEDataFinal->refusal();
    if (!refusal.isEmpty()) {
        searchFailed(tab);
        if (leftField && !leftField->refusal().isEmpty())
            return;
        throw Error(refusal);
    }
    const char *name = tab.kind() == MovementKind::Entradas ? "ENTRADAS"
        : tab.kind() == MovementKind::Saidas                ? "SAIDAS"
                                                            : "DISPENSAÇÕES";
    showWait(QStringLiteral("Aguarde, pesquisando [%1]...").arg(QString::fromUtf8(name)));
    const ListSearch search = tabSearch(tab);
    m_progress->begin(false);
    const auto ended = qScopeGuard([this] { m_progress->end(); });
    try {
        tab.setProtocols(
            summarizeProtocols(IBDatabase1, fillMovementList(IBDatabase1, search, tab.list(), m_progress)));
    } catch (...) {
        searchFailed(tab);
        throw;
    }
    LAguarde->clear();
    if (&tab == TSDispensacoes)
        m_dispensationSearch = DispensationReportInput{search, PECodCNES->text(), LNomeUnidade->text()};
}

void TForm1::searchFailed(MovementTab &tab)
{
    // The rows of the period searched before must not stand under the new period as
    // if they were its own; nor may the listing print them.
    LAguarde->clear();
    tab.list().clear();
    if (&tab == TSDispensacoes)
        m_dispensationSearch.reset();
}

ListSearch TForm1::tabSearch(const MovementTab &tab) const
{
    ListSearch search;
    search.kind = tab.kind();
    if (tab.kind() == MovementKind::Estoque) {
        // The stock list is the unit's by its CNES, for the chosen day.
        search.unidade = PECodCNES->text();
        search.dia = CBEstoqueDia->currentText();
    } else {
        search.unidade = PECodigoUnidade->text();
        search.dataInicial = PEDataInicial->maskedText();
        search.dataFinal = PEDataFinal->maskedText();
    }
    search.exibirSemCodigo = CBExibirSemCodigo->isChecked();
    search.status = tab.statusBoxes();
    search.protocoloSelecionado = tab.protocoloSelecionado();
    search.protocolo = tab.protocolo();
    return search;
}

void TForm1::PBDispImprimirClick()
{
    // The listing prints what the tab's last search listed, with that search's
    // statement and values, so the paper matches the list on screen even when the
    // controls changed since.
    guarded(m_messages, this, [&] {
        if (!m_dispensationSearch)
            throw Error(NoDispensationSearchMessage);
        previewDispensationListing(this, IBDatabase1, *m_dispensationSearch);
    });
}

TPersonBtn *TForm1::addTransmitButton(MovementTab &tab, const char *name, const QString &caption)
{
    auto *button = named(new TPersonBtn(caption, &tab), name);
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

void TForm1::PBEstoqueClick()
{
    EstoqueTransmission kind;
    transmitClick(PBEstoque, SEEstoqueVezes, *TSEstoque, kind);
}

void TForm1::PBEntradasClick()
{
    EntradaTransmission kind;
    transmitClick(PBEntradas, SEEntradasVezes, *TSEntradas, kind);
}

void TForm1::PBSaidasClick()
{
    SaidaTransmission kind;
    transmitClick(PBSaidas, SESaidasVezes, *TSSaidas, kind);
}

void TForm1::PBDispensacaoClick()
{
    DispensacaoTransmission kind;
    transmitClick(PBDispensacao, SEDispensacoesVezes, *TSDispensacoes, kind);
}

void TForm1::PBSemCartaoSusClick()
{
    DispensacaoSemSusTransmission kind;
    transmitClick(PBSemCartaoSus, SEDispensacoesVezes, *TSDispensacoes, kind);
}

void TForm1::transmitClick(TPersonBtn *button, QSpinBox *vezes, MovementTab &tab, TransmissionKind &kind)
{
    if (PECodCNES->text().isEmpty()) {
        m_messages.warning(this, InformeCnesMessage);
        PECodCNES->setFocus();
        return;
    }
    bool configWritten = false;
    guarded(m_messages, this, [&] {
        ArquivoConfig.setValue(ConfigKey::Geral, ConfigKey::CnesFarmacia, PECodCNES->text());
        configWritten = true;
    });
    if (!configWritten)
        return;
    if (PECodIBGE->text().isEmpty()) {
        m_messages.warning(this, InformeIbgeMessage);
        PECodIBGE->setFocus();
        return;
    }
    if (!retransmissionConfirmed(tab, kind))
        return;
    m_errorLines->clear();
    const TPersonBtn::Busy busy(*button);
    TransmissionInput input;
    input.cnes = PECodCNES->text();
    input.ibge = PECodIBGE->text();
    input.dia = CBEstoqueDia->currentText();
    input.loteMaximo = SEQuantidadeRegistros->value();
    TransmissionAccount account;
    QString dica;
    m_progress->begin(true);
    const auto ended = qScopeGuard([this] { m_progress->end(); });
    const ClickOutcome outcome = transmitRepeatedly(
        vezes->value(),
        [&](RunReport &report) {
            input.protocolo = tab.protocolo();
            input.hoje = QDate::currentDate();
            const QString result = transmitOnce(IBDatabase1, *HTTPRIO2, kind, tab.list(), input, report);
            for (const TransmissionAccount::Line &line : account.add(report))
                m_errorLines->append(line.text, &tab, line.caption);
            if (report.retornos) {
                Memo2->clear();
                for (const QString &line : *report.retornos)
                    Memo2->appendPlainText(line);
            }
            if (report.unitTypeMissing)
                m_messages.information(this, UnitTypeMissingMessage);
            dica = report.dica;
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return result;
        },
        *m_progress);
    m_progress->end(); // the window takes input again before the loop's message
    account.countRows(kind, tab.list(), tab.protocolo());
    m_statusStrip->setAccount(account.text());
    if (outcome.end == ClickOutcome::AllSent)
        m_messages.information(this, TodosTransferidosMessage + QLatin1Char('\n') + account.text());
    else if (outcome.end == ClickOutcome::Aborted)
        m_messages.error(this, TransmissaoAbortadaCaption,
                         withHint(outcome.message, dica) + QStringLiteral("\n\n") + account.text());
}

bool TForm1::retransmissionConfirmed(MovementTab &tab, const TransmissionKind &kind)
{
    const QString protocolo = tab.protocolo();
    if (protocolo.isEmpty())
        return true;
    bool confirmed = false;
    guarded(m_messages, this, [&] {
        TransmissionAccount toSend; // the rows a run would take: the protocol's, passing their checks
        toSend.countRows(kind, tab.list(), protocolo);
        confirmed = m_messages.question(
            this, summarizeProtocol(IBDatabase1, protocolo).retransmissionQuestion(toSend.restam(), kind.rectifies()));
    });
    return confirmed;
}

void TForm1::openRefusedRow(MovementTab *tab, const QString &caption)
{
    PageControl1->setCurrentWidget(tab);
    if (!tab->showRow(caption))
        m_messages.information(this,
                               QStringLiteral("O registro %1 não está na lista com os filtros atuais.").arg(caption));
}

void TForm1::showSession()
{
    const QString servidor = HTTPRIO2 ? HTTPRIO2->settings().Servidor : QString();
    const QUrl url(servidor);
    const QString unidade = LNomeUnidade->text() == QLatin1String(".")
        ? PECodCNES->text()
        : PECodCNES->text() + QStringLiteral(" - ") + LNomeUnidade->text();
    m_statusStrip->setSession(m_login.UsuarioSessao, unidade, url.authority().isEmpty() ? servidor : url.authority());
}

void TForm1::CBEstoqueDiaChange()
{
    guarded(m_messages, this, [&] {
        if ((EUsuario->text().isEmpty() && ESenha->text().isEmpty()) || CBEstoqueDia->currentText().isEmpty())
            return;
        showWait(QStringLiteral("Aguarde, pesquisando [ESTOQUE]..."));
        m_progress->begin(false);
        const auto ended = qScopeGuard([this] { m_progress->end(); });
        try {
            const QStringList protocols = fillMovementList(IBDatabase1, tabSearch(*TSEstoque), TSEstoque->list(),
                                                           m_progress);
            TSEstoque->setProtocols(summarizeProtocols(IBDatabase1, protocols));
        } catch (...) {
            searchFailed(*TSEstoque);
            throw;
        }
        LAguarde->clear();
    });
}

void TForm1::CarregaSituacao()
{
    guarded(m_messages, this, [&] {
        if (!PageControl1->isEnabled())
            return;
        showWait(QStringLiteral("Aguarde, pesquisando [SITUAÇÃO]..."));
        TSSituacao->showFigures(loadOverview(IBDatabase1, overviewSearch(TSSituacao->period(QDate::currentDate()))));
        LAguarde->clear();
    });
}

OverviewSearch TForm1::overviewSearch(const OverviewPeriod &period) const
{
    return {PECodigoUnidade->text(), PECodCNES->text(), CBExibirSemCodigo->isChecked(), period};
}

void TForm1::SituacaoClick(const OverviewChoice &choice)
{
    guarded(m_messages, this, [&] {
        MovementTab *tab = choice.kind == MovementKind::Estoque ? TSEstoque
            : choice.kind == MovementKind::Entradas             ? TSEntradas
            : choice.kind == MovementKind::Saidas               ? TSSaidas
                                                                : TSDispensacoes;
        tab->setStatusBoxes(statusBoxesFor(choice.situacao));
        tab->setProtocoloSelecionado(false);
        PEDataInicial->setText(dateToText(choice.month));
        PEDataFinal->setText(dateToText(choice.month.addMonths(1).addDays(-1)));
        PageControl1->setCurrentWidget(tab); // searches the period lists
        if (choice.kind == MovementKind::Estoque) {
            // The stock list shows one day: the month's last with records of the status.
            const QDate day = latestStockDay(IBDatabase1, overviewSearch({choice.month, 1}), choice.month,
                                             choice.situacao);
            const QSignalBlocker blocker(CBEstoqueDia);
            CBEstoqueDia->setCurrentIndex(CBEstoqueDia->findText(day.isValid() ? dateToText(day) : QString()));
            if (CBEstoqueDia->currentIndex() < 0) { // no such record that month: nothing to list
                TSEstoque->list().clear();
                TSEstoque->setProtocols({ProtocolSummary{}});
            }
            CBEstoqueDiaChange();
        }
    });
}

void TForm1::PECodigoUnidadeExit()
{
    guarded(m_messages, this, [&] {
        const UnitByCode unit = findUnitByCode(IBDatabase1, PECodigoUnidade->text());
        if (unit.found) {
            PECodCNES->setText(unit.numero);
            LNomeUnidade->setText(unit.nome);
        }
        showSession();
        if (PECodCNES->text() != UltimoCnes) {
            UltimoCnes = PECodCNES->text();
            BtnPesquisarClick();
        }
    });
}

void TForm1::SPProfissionalClick()
{
    try {
        FProcura->open(IBDatabase1.databaseName());
        const QString codigo = FProcura->choose();
        if (!codigo.isEmpty()) {
            PECodigoUnidade->setFocus();
            PECodigoUnidade->setText(codigo);
            PECodigoUnidadeExit();
        }
    } catch (const Error &error) {
        FProcura->abandon();
        m_messages.error(this, LoginErrorTitle, error.message());
    }
}

void TForm1::showWait(const QString &text)
{
    LAguarde->setText(text);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::focusChanged(QWidget *old, QWidget *now)
{
    // Only the operator moving from another control of this window into the stock tab
    // refreshes its list. The focus coming back from a message box, a drop-down list or
    // another application is no such move: reloading then would drop the list's marks,
    // scroll position and selection, could replace the rows a transmission is sending,
    // and a failing refresh would bring its error box back each time it closed.
    // Nor does anything reload it while a stock transmission, which reads its rows, runs.
    const bool fromThisWindow = old && old->window() == this && !TSEstoque->isAncestorOf(old);
    if (fromThisWindow && now && TSEstoque->isAncestorOf(now) && PBEstoque->isEnabled()
        && CBEstoqueDia->currentText() != QString::fromUtf16(EmptyDateMask))
        CBEstoqueDiaChange();
}

void TForm1::CarregaProtocolos()
{
    guarded(m_messages, this, [&] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        tavro::CarregaProtocolos(IBDatabase1, TSProtocolos->filter(PECodCNES->text()), m_login.UsuarioSessao,
                                 TSProtocolos->list());
    });
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // Enter acts as Tab in the window; a focused button still takes it as a press.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (isEnterKey(*key) && widget && widget->window() == this) {
            if (auto *button = qobject_cast<TPersonBtn *>(widget)) {
                button->Click(); // with its required-field check, as a mouse click
                return true;
            }
            if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
                if (!qobject_cast<QCheckBox *>(button)) {
                    button->click();
                    return true;
                }
            }
            focusNextChild();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tavro
