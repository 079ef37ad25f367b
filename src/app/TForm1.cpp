#include "app/TForm1.h"

#include "app/Messages.h"
#include "app/ProtocolTab.h"
#include "followup/ProtocolList.h"
#include "lists/StockDays.h"
#include "session/AppConfig.h"
#include "session/HealthUnit.h"
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
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace tavro {

namespace {

const QString WindowCaption = QStringLiteral("Vidozovevor WebService Tavro - Versão 2.43");
const QString DatabaseNotFound = QStringLiteral("Não encontrado arquivo de banco de dados em ");
const QString LoginErrorTitle = QStringLiteral("Erro, verifique os dados digitados");

template<typename W>
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

TForm1::TForm1(QString configPath, Messages &messages, QWidget *parent)
    : QMainWindow(parent)
    , m_messages(messages)
    , m_configPath(std::move(configPath))
    , ArquivoConfig(m_configPath)
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
    TSEstoque = buildStockTab();
    TSEntradas = named(new QWidget(PageControl1), "TSEntradas");
    TSSaidas = named(new QWidget(PageControl1), "TSSaidas");
    TSDispensacoes = named(new QWidget(PageControl1), "TSDispensacoes");
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
    PageControl1->addTab(TSEstoque, QStringLiteral("Estoque"));
    PageControl1->addTab(TSEntradas, QStringLiteral("Entradas"));
    PageControl1->addTab(TSSaidas, QStringLiteral("Saídas"));
    PageControl1->addTab(TSDispensacoes, QStringLiteral("Dispensações"));
    PageControl1->addTab(TSErros, QStringLiteral("Erros"));
    PageControl1->addTab(TabSheet7, QStringLiteral("Retornos"));
    PageControl1->addTab(TSProtocolos, QStringLiteral("Protocolos"));
    layout->addWidget(PageControl1, 1);

    LAguarde = named(new QLabel(central), "LAguarde");
    QFont waitFont = LAguarde->font();
    waitFont.setPixelSize(19);
    waitFont.setBold(true);
    waitFont.setItalic(true);
    LAguarde->setFont(waitFont);
    LAguarde->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    LAguarde->setMinimumHeight(26);
    layout->addWidget(LAguarde);
    Memo1 = named(new QPlainTextEdit(central), "Memo1");
    Memo1->hide();
    setCentralWidget(central);

    setTabOrder();
    qApp->installEventFilter(this);

    connect(BValidar, &QPushButton::clicked, this, &TForm1::BValidarClick);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (PageControl1->widget(index) == TSProtocolos)
            CarregaProtocolos();
    });
    connect(TSProtocolos, &ProtocolTab::filterClicked, this, &TForm1::CarregaProtocolos);
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
    ESenha->setGeometry(238, row1, 110, h);
    BValidar = named(new QPushButton(QStringLiteral("Login"), header), "BValidar");
    BValidar->setGeometry(356, row1 - 1, 76, h + 2);

    PECodigoUnidade = personEdit(header, "PECodigoUnidade", QStringLiteral("Unidade:"), QRect(510, row1, 74, h));
    PECodigoUnidade->setMaxLength(7);
    PECodigoUnidade->setRequerido(true);
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

QWidget *TForm1::buildStockTab()
{
    auto *tab = named(new QWidget(PageControl1), "TSEstoque");
    auto *layout = new QVBoxLayout(tab);
    auto *strip = new QHBoxLayout();
    auto *label = new QLabel(QStringLiteral("Estoque do dia:"), tab);
    CBEstoqueDia = named(new QComboBox(tab), "CBEstoqueDia");
    CBEstoqueDia->setMinimumWidth(110);
    label->setBuddy(CBEstoqueDia);
    strip->addWidget(label);
    strip->addWidget(CBEstoqueDia);
    strip->addStretch();
    layout->addLayout(strip);
    layout->addStretch();
    return tab;
}

void TForm1::setTabOrder()
{
    const QList<QWidget *> order = {EUsuario,      ESenha,      BValidar,     PECodigoUnidade,       PECodCNES,
                                    PECodIBGE,     PEDataInicial, PEDataFinal, BtnPesquisar, SEQuantidadeRegistros,
                                    CBExibirSemCodigo};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
}

bool TForm1::FormCreate()
{
    LAguarde->clear();
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
        m_messages.error(this, QString(), DatabaseNotFound + config.database);
        m_messages.standardError(this, error.message());
        return false;
    }

    PECodIBGE->setText(config.ibge);
    PECodCNES->setText(config.cnesFarmacia);
    DataInicialConfig = config.dataInicial;
    DataFinalConfig = config.dataFinal;

    guarded(m_messages, this, [&] {
        const HealthUnit unit = findUnitAtStartup(IBDatabase1, PECodCNES->text());
        PECodigoUnidade->setText(unit.codigo);
        LNomeUnidade->setText(unit.nome);
    });
    CarregaProtocolos();
    return true;
}

void TForm1::FormShow()
{
    BtnPesquisar->setEnabled(false);
    PageControl1->setEnabled(false);
    PageControl1->setCurrentWidget(TSProtocolos);
    PEDataInicial->setText(DataInicialConfig);
    PEDataFinal->setText(DataFinalConfig);
    guarded(m_messages, this, [&] {
        const QStringList days = stockDays(IBDatabase1);
        const QSignalBlocker blocker(CBEstoqueDia);
        CBEstoqueDia->clear();
        CBEstoqueDia->addItems(days);
        CBEstoqueDia->setCurrentIndex(days.isEmpty() ? -1 : 0);
    });
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
    CarregaProtocolos();
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
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && widget && widget->window() == this
            && key->modifiers() == Qt::NoModifier) {
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
