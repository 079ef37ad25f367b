#include "ConfigFile.h"
#include "PdfText.h"
#include "RecordingMessages.h"
#include "SimProcess.h"
#include "TestDatabase.h"
#include "TestService.h"
#include "app/Messages.h"
#include "app/ProgressStrip.h"
#include "app/QtTranslations.h"
#include "app/RecordView.h"
#include "app/SignalEnd.h"
#include "app/TForm1.h"
#include "service/ErrorHint.h"
#include "session/IniFile.h"
#include "sync/SyncRun.h"
#include "sync/SyncSummary.h"
#include "transmission/ProtocolRecovery.h"
#include "widgets/ErrorDisplay.h"
#include "widgets/TPersonBtn.h"
#include "widgets/TPersonEdit.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>
#include <QTranslator>
#include <QTreeWidget>
#include <QValueAxis>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

using namespace tavro;
using tavro::test::TestDatabase;

namespace {

using tavro::test::RecordingMessages;

// The window's config.ini as an editor on Windows leaves it, with an IBGE of eight digits of
// which the window takes the first seven; `tavroKeys` go into TAVRO after the period.
QString writeConfig(const QString &folder, const QString &database, const QStringList &tavroKeys = {})
{
    test::ConfigFile config{database};
    config.tavro += tavroKeys;
    config.ibge = QStringLiteral("35503081");
    config.lineEnd = QStringLiteral("\r\n");
    return test::writeConfig(folder + QStringLiteral("/config.ini"), config);
}

// A window given one config.ini, as with --config.
ConfigPlaces onlyFile(const QString &config)
{
    return ConfigPlaces{config, {}, DataFolder{QFileInfo(config).absolutePath(), DataFolder::Origin::Key}};
}

template <typename W>
W *child(QWidget &form, const char *name)
{
    W *w = form.findChild<W *>(QString::fromUtf8(name));
    if (!w)
        throw std::runtime_error(std::string("no control ") + name);
    return w;
}

// Closes a print preview as soon as one opens; `pages` gets the text of the listing it
// shows, empty when none opened.
void whenPreviewOpens(const QString &folder, QStringList &pages)
{
    pages.clear();
    QTimer::singleShot(0, [folder, &pages] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<QPrintPreviewDialog *>(top); dialog && dialog->isVisible()) {
                QPrinter printer(QPrinter::HighResolution);
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(folder + QStringLiteral("/preview.pdf"));
                Q_EMIT dialog->paintRequested(&printer);
                dialog->reject();
                pages = tavro::test::pdfPages(printer.outputFileName());
                return;
            }
        }
    });
}

void activate(QWidget *window)
{
    QApplication::setActiveWindow(window);
    QCoreApplication::processEvents();
}

// Where the window's screenshots go for a person to look at; nothing checks them.
void keepShot(QWidget &window, const char *name)
{
    const QString folder = qEnvironmentVariable("TAVRO_SHOTS");
    if (!folder.isEmpty())
        window.grab().save(folder + QLatin1Char('/') + QString::fromUtf8(name) + QStringLiteral(".png"));
}

} // namespace

TEST(Startup, DatabaseThatCannotBeOpenedEndsTheProgram)
{
    QTemporaryDir dir;
    const QString notFound = QStringLiteral("error[]: Não encontrado arquivo de banco de dados em ");
    const QString named = QStringLiteral("/nao/existe/base.fdb");
    for (const QString &name : {QString(), named}) {
        RecordingMessages messages;
        TForm1 form(onlyFile(writeConfig(dir.path(), name)), messages);
        EXPECT_FALSE(form.FormCreate());
        // An empty name is said once; a missing file gets the reason in Portuguese before the
        // engine's text.
        ASSERT_EQ(messages.log.size(), name.isEmpty() ? 1 : 2);
        EXPECT_EQ(messages.log.at(0).section(QLatin1Char('\n'), 0, 0), notFound + name);
        if (!name.isEmpty())
            EXPECT_TRUE(messages.log.at(1).startsWith(
                QStringLiteral("standard: O arquivo do banco de dados (%1) não existe: confira a chave DATABASE")
                    .arg(name)))
                << messages.log.at(1).toStdString();
    }
    // Without a database the first box also says which files were read and which key to set.
    const QString absent = dir.filePath(QStringLiteral("ausente.ini"));
    RecordingMessages messages;
    TForm1 form(onlyFile(absent), messages);
    EXPECT_FALSE(form.FormCreate());
    EXPECT_EQ(messages.log.value(0),
              notFound + QStringLiteral("\nNenhum arquivo de configuração lido informa o banco: ") + absent
                  + QStringLiteral(" (não existe). Informe-o na chave DATABASE da seção [GERAL] (um arquivo, ou "
                                   "servidor/porta:caminho)."));
}

// A PastaDados that cannot be made ends the program with one box, before the database opens.
TEST(Startup, UnusableDataFolderEndsTheProgramWithOneBox)
{
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("arquivo"))).open(QIODevice::WriteOnly);
    const QString bad = dir.filePath(QStringLiteral("arquivo/dados"));
    RecordingMessages messages;
    TForm1 form(findConfigPlaces(
                    writeConfig(dir.path(), QStringLiteral("/nao/existe.fdb"), {QStringLiteral("PastaDados=") + bad})),
                messages);
    EXPECT_FALSE(form.FormCreate());
    EXPECT_EQ(messages.log,
              QStringList{QStringLiteral("error[]: Não foi possível usar a pasta de dados %1 (chave "
                                         "PastaDados): parte do caminho não é uma pasta. Nada foi "
                                         "enviado.")
                              .arg(bad)});
}

// The nightly run's summary, in the data folder the window shares with it, shows in the strip
// of the assembled window; a data folder others can read is warned of in "Erros".
TEST(Startup, LastNightShowsInTheStatusStripOfTheWindow)
{
    TestDatabase fixture;
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("dados"));
    ASSERT_TRUE(QDir().mkpath(data)); // 0755
    SyncSummary night;
    night.started = QDateTime(QDate(2026, 12, 10), QTime(2, 0, 5));
    night.finished = QDateTime(QDate(2026, 12, 10), QTime(2, 4, 40));
    night.cnes = QStringLiteral("2345678");
    QFile summary(data + QStringLiteral("/sincronizar-ultimo.json"));
    ASSERT_TRUE(summary.open(QIODevice::WriteOnly));
    summary.write(summaryJson(night));
    summary.close();

    RecordingMessages messages;
    TForm1 form(findConfigPlaces(writeConfig(dir.path(), fixture.path(), {QStringLiteral("PastaDados=") + data})),
                messages);
    ASSERT_TRUE(form.FormCreate());
    form.show();
    form.FormShow();
    QCoreApplication::processEvents();

    auto *button = form.findChild<QPushButton *>(QStringLiteral("LastSync"));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible());
    EXPECT_TRUE(form.statusBar()->isAncestorOf(button));
    EXPECT_EQ(button->text(),
              QStringLiteral("Última sincronização automática: 10/12/2026 02:04 (CNES 2345678), "
                             "concluída"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(messages.log, QStringList{QStringLiteral("summary: ") + summaryText(night)});

    EXPECT_TRUE(child<QLabel>(form, "LArquivos")
                    ->text()
                    .contains(QStringLiteral("Pasta de dados: %1 (chave PastaDados)").arg(data)));
    EXPECT_TRUE(child<QTextEdit>(form, "REErros")
                    ->toPlainText()
                    .contains(QStringLiteral("Aviso: outras contas podem ler a pasta de dados %1, que guarda dados de "
                                             "pacientes; corrija com: chmod -R o-rwx %1")
                                  .arg(data)));
}

// An installed program: the site's file in /etc under the user's, which the window writes.
TEST(Startup, ReadsTheSystemFileUnderTheUsersAndWritesTheUsers)
{
    TestDatabase fixture;
    QTemporaryDir dir;
    PlaceRoots roots;
    roots.programFolder = dir.filePath(QStringLiteral("usr/bin"));
    roots.systemConfig = dir.filePath(QStringLiteral("etc/config.ini"));
    roots.userConfig = dir.filePath(QStringLiteral("home/.config/tavro/config.ini"));
    roots.userData = dir.filePath(QStringLiteral("home/.local/share/tavro"));
    QDir().mkpath(dir.filePath(QStringLiteral("home/.config/tavro")));
    QDir().mkpath(dir.filePath(QStringLiteral("etc")));
    writeConfig(dir.filePath(QStringLiteral("etc")), fixture.path());
    QFile user(roots.userConfig);
    ASSERT_TRUE(user.open(QIODevice::WriteOnly));
    user.write("[TAVRO]\nDataInicial=05/01/2019\n");
    user.close();
    const auto systemBytes = [&] {
        QFile system(roots.systemConfig);
        return system.open(QIODevice::ReadOnly) ? system.readAll() : QByteArray();
    };
    const QByteArray systemBefore = systemBytes();

    RecordingMessages messages;
    TForm1 form(findConfigPlaces(QString(), roots), messages);
    ASSERT_TRUE(form.FormCreate());
    form.show();
    form.FormShow();
    EXPECT_EQ(child<QLineEdit>(form, "PECodCNES")->text(), QStringLiteral("2345678"));
    EXPECT_EQ(child<QLineEdit>(form, "PEDataInicial")->text(), QStringLiteral("05/01/2019"));
    EXPECT_EQ(child<QLineEdit>(form, "PEDataFinal")->text(), QStringLiteral("31/01/2019"));
    const QString shown = child<QLabel>(form, "LArquivos")->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("Configuração lida de: ") + roots.systemConfig)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Configuração gravada em: ") + roots.userConfig)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(roots.userData + QStringLiteral("/Tavro"))) << shown.toStdString();

    child<QLineEdit>(form, "EUsuario")->setText(QStringLiteral("farmacia"));
    child<QLineEdit>(form, "ESenha")->setText(QStringLiteral("tavro2019"));
    QTest::mouseClick(child<QPushButton>(form, "BValidar"), Qt::LeftButton);
    child<QLineEdit>(form, "PEDataFinal")->setText(QStringLiteral("20/01/2019"));
    child<QPushButton>(form, "BtnPesquisar")->click();
    EXPECT_TRUE(messages.log.isEmpty()) << messages.log.join('\n').toStdString();
    const IniFile written(roots.userConfig);
    EXPECT_EQ(written.value(QStringLiteral("TAVRO"), QStringLiteral("DataInicial")), QStringLiteral("05/01/2019"));
    EXPECT_EQ(written.value(QStringLiteral("TAVRO"), QStringLiteral("DataFinal")), QStringLiteral("20/01/2019"));
    EXPECT_EQ(systemBytes(), systemBefore);
}

// The service's credentials go over plain http: the window's first call writes one warning
// into "Erros", and no later click of the same run of the program repeats it.
TEST(Startup, CredentialsOverPlainHttpWarnOnceInErros)
{
    TestDatabase fixture;
    const test::SimProcess sim(test::simArguments(test::TestLogin, {QStringLiteral("--aguardando"), "0"}));
    const QString configPath = writeConfig(fixture.folder(), fixture.path(),
                                           {QStringLiteral("Servidor=") + test::localOrigin(sim.port()),
                                            QStringLiteral("Namespace=") + test::TestNamespace});
    RecordingMessages messages;
    TForm1 form(onlyFile(configPath), messages);
    ASSERT_TRUE(form.FormCreate());
    form.show();
    form.FormShow();
    child<QLineEdit>(form, "EUsuario")->setText(QStringLiteral("farmacia"));
    child<QLineEdit>(form, "ESenha")->setText(QStringLiteral("tavro2019"));
    QTest::mouseClick(child<QPushButton>(form, "BValidar"), Qt::LeftButton);
    child<QTabWidget>(form, "PageControl1")->setCurrentWidget(child<QWidget>(form, "TSDispensacoes"));
    const QString warning = QStringLiteral("Aviso: o serviço é acessado por http");

    child<QPushButton>(form, "PBDispensacao")->click();
    const QString erros = child<QTextEdit>(form, "REErros")->toPlainText();
    EXPECT_EQ(erros.count(warning), 1) << erros.toStdString();
    EXPECT_TRUE(messages.log.value(0).contains(QStringLiteral("Atenção! Todos os registros já foram transferidos!")))
        << messages.log.join('\n').toStdString();

    child<QPushButton>(form, "PBSemCartaoSus")->click();
    EXPECT_EQ(child<QTextEdit>(form, "REErros")->toPlainText().count(warning), 0);
}

class Window : public ::testing::Test
{
protected:
    void SetUp() override
    {
        configPath = writeConfig(fixture.folder(), fixture.path(), tavroKeys());
        QFile f(configPath);
        f.open(QIODevice::ReadOnly);
        configBytes = f.readAll();
        form = std::make_unique<TForm1>(onlyFile(configPath), messages);
        ASSERT_TRUE(form->FormCreate());
        form->show();
        form->FormShow();
        QApplication::setActiveWindow(form.get());
    }

    // More keys of section TAVRO in the window's config.ini.
    virtual QStringList tavroKeys() const { return {}; }

    void logIn(const char *user, const char *password)
    {
        child<QLineEdit>(*form, "EUsuario")->setText(QString::fromUtf8(user));
        child<QLineEdit>(*form, "ESenha")->setText(QString::fromUtf8(password));
        QTest::mouseClick(child<QPushButton>(*form, "BValidar"), Qt::LeftButton);
    }
    bool unlocked() { return child<QTabWidget>(*form, "PageControl1")->isEnabled(); }
    QAbstractItemModel *protocols() { return child<QTableView>(*form, "LVProtocolos")->model(); }

    TestDatabase fixture;
    QString configPath;
    QByteArray configBytes;
    RecordingMessages messages;
    std::unique_ptr<TForm1> form;
};

TEST_F(Window, WaitsForLoginOnTheProtocolTab)
{
    EXPECT_TRUE(messages.log.isEmpty()) << messages.log.join('\n').toStdString();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Vidozovevor WebService Tavro - Versão 2.43"));
    EXPECT_EQ(child<QLineEdit>(*form, "PECodigoUnidade")->text(), QStringLiteral("1"));
    EXPECT_EQ(child<QLabel>(*form, "LNomeUnidade")->text(), QStringLiteral("FARMACIA MUNICIPAL CENTRAL"));
    EXPECT_EQ(child<QLineEdit>(*form, "PECodIBGE")->text(), QStringLiteral("3550308"));
    EXPECT_FALSE(child<QLineEdit>(*form, "PECodCNES")->isEnabled());
    EXPECT_FALSE(unlocked());
    EXPECT_FALSE(child<QPushButton>(*form, "BtnPesquisar")->isEnabled());
    EXPECT_EQ(child<QTabWidget>(*form, "PageControl1")->currentWidget()->objectName(), QStringLiteral("TSProtocolos"));
    auto *days = child<QComboBox>(*form, "CBEstoqueDia");
    EXPECT_EQ(days->count(), 3);
    EXPECT_EQ(days->currentText(), QStringLiteral("31/01/2019"));
    EXPECT_EQ(protocols()->rowCount(), 0);
}

TEST_F(Window, LoginUnlocksRestrictsOrRefuses)
{
    fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Tipo, Situacao, cnes) values ('P1', "
                                "'Estoque', 'Aguardando', '2345678')"));

    logIn("farmacia", "quiltex");
    EXPECT_FALSE(unlocked());
    EXPECT_EQ(protocols()->rowCount(), 1); // the list loads even in the restricted mode

    logIn("farmacia", "tavro2019");
    EXPECT_TRUE(unlocked());
    EXPECT_TRUE(child<QPushButton>(*form, "BtnPesquisar")->isEnabled());
    EXPECT_EQ(form->loginValues().TavroSenhaSessao, QStringLiteral("segredo-ws"));

    logIn("farmacia", "errada");
    EXPECT_EQ(messages.log, QStringList{QStringLiteral("info: Usuário ou Senha incorretos!")});
    EXPECT_FALSE(unlocked());
    EXPECT_TRUE(child<QLineEdit>(*form, "EUsuario")->text().isEmpty());
    EXPECT_TRUE(child<QLineEdit>(*form, "ESenha")->text().isEmpty());
    EXPECT_EQ(form->loginValues().TavroUsuarioSessao, QStringLiteral("farmacia.ws"));

    // Nothing of start-up or login reached the database or config.ini.
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos")), QStringLiteral("1"));
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroSituacao is not null")),
              QStringLiteral("0"));
    QFile f(configPath);
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), configBytes);
}

TEST_F(Window, LoginErrorShowsItsBoxAndStillReloadsTheList)
{
    fixture.exec(QStringLiteral("alter table Usuarios drop TavroSenha"));
    fixture.exec(QStringLiteral("alter table Usuarios drop Senha"));
    logIn("farmacia", "tavro2019");
    ASSERT_EQ(messages.log.size(), 1);
    EXPECT_TRUE(messages.log.at(0).startsWith(QStringLiteral("error[Erro, verifique os dados digitados]: ")));
    EXPECT_FALSE(unlocked());
}

TEST_F(Window, ProtocolFiltersReloadTheList)
{
    fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Tipo, Situacao, cnes) values ('P1', "
                                "'Estoque', 'Aguardando', '2345678')"));
    fixture.exec(QStringLiteral(
        "insert into TavroProtocolos (Protocolo, Tipo, Situacao, cnes) values ('P2', 'Saída', 'Ok', '9999999')"));
    logIn("caixa", "caixa123");
    EXPECT_EQ(protocols()->rowCount(), 1);
    QTest::mouseClick(child<QCheckBox>(*form, "CBProtocolosMostrarTodosCnes"), Qt::LeftButton);
    EXPECT_EQ(protocols()->rowCount(), 2);
    QTest::mouseClick(child<QCheckBox>(*form, "CBProtAguardando"), Qt::LeftButton);
    EXPECT_EQ(protocols()->rowCount(), 1);
    EXPECT_EQ(protocols()->index(0, 1).data().toString(), QStringLiteral("P2"));
}

TEST_F(Window, EnterMovesToTheNextControlWithoutLoggingIn)
{
    auto *user = child<QLineEdit>(*form, "EUsuario");
    user->setText(QStringLiteral("farmacia"));
    user->setFocus();
    QTest::keyClick(user, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(*form, "ESenha"));
    child<QLineEdit>(*form, "ESenha")->setText(QStringLiteral("tavro2019"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), child<QPushButton>(*form, "BValidar"));
    EXPECT_FALSE(unlocked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // a focused button takes Enter as a press
    EXPECT_TRUE(unlocked());
}

TEST_F(Window, SearchesFollowTheTabsAndStoreThePeriod)
{
    logIn("farmacia", "tavro2019");
    child<QLineEdit>(*form, "PEDataFinal")->setText(QStringLiteral("15/01/2019"));
    child<QTabWidget>(*form, "PageControl1")->setCurrentWidget(child<QWidget>(*form, "TSDispensacoes"));
    EXPECT_EQ(child<QTableView>(*form, "LVDispensacoes")->model()->rowCount(), 5);
    EXPECT_EQ(IniFile(configPath).value(QStringLiteral("TAVRO"), QStringLiteral("DataFinal")),
              QStringLiteral("15/01/2019"));
    EXPECT_TRUE(child<QLabel>(*form, "LAguarde")->text().isEmpty());

    // An impossible day is refused in the date field's words; config.ini already holds it.
    child<QLineEdit>(*form, "PEDataFinal")->setText(QStringLiteral("31/02/2019"));
    child<QPushButton>(*form, "BtnPesquisar")->click();
    EXPECT_EQ(messages.log, QStringList{QStringLiteral("standard: Valor Inválido, insira uma Data Válida!")});
    EXPECT_EQ(IniFile(configPath).value(QStringLiteral("TAVRO"), QStringLiteral("DataFinal")),
              QStringLiteral("31/02/2019"));
}

TEST_F(Window, LeavingTheUnitFieldRefreshesOnlyWhenTheCnesChanged)
{
    logIn("farmacia", "tavro2019");
    child<QTabWidget>(*form, "PageControl1")->setCurrentWidget(child<QWidget>(*form, "TSEntradas"));
    auto *unit = child<TPersonEdit>(*form, "PECodigoUnidade");
    auto *list = child<QTableView>(*form, "LVEntradas")->model();
    EXPECT_EQ(list->rowCount(), 8);

    fixture.exec(QStringLiteral("update itensentradas set codunidade = 2 where lancamento = 1001"));
    Q_EMIT unit->exited(); // first exit after start-up: the CNES is new, so the lists refresh
    EXPECT_EQ(list->rowCount(), 5);
    fixture.exec(QStringLiteral("update itensentradas set codunidade = 1 where lancamento = 1001"));
    Q_EMIT unit->exited(); // same CNES: nothing refreshes
    EXPECT_EQ(list->rowCount(), 5);

    unit->setText(QStringLiteral("2"));
    Q_EMIT unit->exited();
    EXPECT_EQ(child<QLineEdit>(*form, "PECodCNES")->text(), QStringLiteral("3456789"));
    EXPECT_EQ(child<QLabel>(*form, "LNomeUnidade")->text(), QStringLiteral("HOSPITAL MUNICIPAL CENTRAL"));
    EXPECT_EQ(list->rowCount(), 1);

    unit->setText(QStringLiteral("77")); // no such unit: CNES and name stay, nothing refreshes
    Q_EMIT unit->exited();
    EXPECT_EQ(child<QLineEdit>(*form, "PECodCNES")->text(), QStringLiteral("3456789"));
    EXPECT_EQ(list->rowCount(), 1);
    EXPECT_TRUE(messages.log.isEmpty()) << messages.log.join('\n').toStdString();
}

TEST_F(Window, StockListReloadsOnlyWhenTheFocusComesFromAnotherControlOfTheWindow)
{
    logIn("farmacia", "tavro2019");
    auto *tabs = child<QTabWidget>(*form, "PageControl1");
    auto *stockTab = child<QWidget>(*form, "TSEstoque");
    auto *stock = child<QTableView>(*form, "LVEstoque");
    auto *days = child<QComboBox>(*form, "CBEstoqueDia");
    QSignalSpy reloads(stock->model(), &QAbstractItemModel::modelReset);
    const struct
    {
        const char *event;
        std::function<void()> act;
        int reloads;
    } cases[] = {
        {"message box shown and closed",
         [&] {
             QMessageBox box(QMessageBox::Information, QString(), QStringLiteral("Aviso"), QMessageBox::Ok, form.get());
             box.show();
             activate(&box);
             box.button(QMessageBox::Ok)->setFocus();
             box.close();
             activate(form.get());
         },
         0},
        {"window deactivated and activated",
         [&] {
             QApplication::setActiveWindow(nullptr);
             activate(form.get());
         },
         0},
        {"day chosen in the drop-down",
         [&] {
             days->setFocus();
             days->showPopup();
             QTest::keyClick(days->view(), Qt::Key_Down);
             QTest::keyClick(days->view(), Qt::Key_Return);
         },
         1},
        {"focus moved from Entradas into the tab",
         [&] {
             tabs->setCurrentWidget(child<QWidget>(*form, "TSEntradas"));
             child<QTableView>(*form, "LVEntradas")->setFocus();
             tabs->setCurrentWidget(stockTab);
             stock->setFocus();
         },
         1},
    };
    for (const auto &c : cases) {
        activate(form.get());
        tabs->setCurrentWidget(stockTab);
        stock->setFocus();
        ASSERT_TRUE(stockTab->isAncestorOf(QApplication::focusWidget())) << c.event;
        QCoreApplication::processEvents();
        reloads.clear();
        c.act();
        QCoreApplication::processEvents();
        EXPECT_EQ(reloads.count(), c.reloads) << c.event;
    }
    EXPECT_TRUE(messages.log.isEmpty()) << messages.log.join('\n').toStdString();
}

TEST_F(Window, AFailingStockRefreshShowsItsErrorOnce)
{
    logIn("farmacia", "tavro2019");
    child<QTabWidget>(*form, "PageControl1")->setCurrentWidget(child<QWidget>(*form, "TSEstoque"));
    child<QLineEdit>(*form, "EUsuario")->setFocus();
    child<QTableView>(*form, "LVEstoque")->setFocus();
    ASSERT_GT(child<QTableView>(*form, "LVEstoque")->model()->rowCount(), 0);
    child<QLineEdit>(*form, "EUsuario")->setFocus();
    auto *days = child<QComboBox>(*form, "CBEstoqueDia");
    {
        const QSignalBlocker blocker(days);
        days->addItem(QStringLiteral("99/99/2019"));
        days->setCurrentIndex(days->count() - 1);
    }
    messages.log.clear();
    child<QTableView>(*form, "LVEstoque")->setFocus(); // entering the tab: the refresh fails
    QApplication::setActiveWindow(nullptr);            // the error box takes the focus away
    activate(form.get());                              // and gives it back
    QCoreApplication::processEvents();
    EXPECT_EQ(messages.log, QStringList{QStringLiteral("standard: '99/99/2019' is not a valid date")});
    EXPECT_TRUE(child<QLabel>(*form, "LAguarde")->text().isEmpty());
    EXPECT_EQ(child<QTableView>(*form, "LVEstoque")->model()->rowCount(), 0);
}

TEST_F(Window, EnterFromEitherKeyboardMovesOnOrClicksTheFocusedButtonWithItsChecks)
{
    logIn("farmacia", "tavro2019");
    auto *user = child<QLineEdit>(*form, "EUsuario");
    auto *imprimir = child<TPersonBtn>(*form, "PBDispImprimir");
    child<QTabWidget>(*form, "PageControl1")->setCurrentWidget(child<QWidget>(*form, "TSDispensacoes"));
    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } enters[] = {{Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier}};
    for (const auto &enter : enters) {
        activate(form.get());
        user->setFocus();
        QTest::keyClick(user, enter.key, enter.modifiers);
        EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(*form, "ESenha")) << enter.key;

        imprimir->setFocus();
        child<TPersonEdit>(*form, "PECodCNES")->setText(QString());
        messages.log.clear();
        QStringList printed;
        whenPreviewOpens(fixture.folder(), printed);
        QTest::keyClick(imprimir, enter.key, enter.modifiers);
        QCoreApplication::processEvents();
        EXPECT_TRUE(printed.isEmpty()) << enter.key;
        EXPECT_EQ(messages.log,
                  QStringList{QStringLiteral("standard: O valor do campo \"CNES Unidade:\" não pode estar em Branco!")})
            << enter.key;
    }
}

TEST_F(Window, ImprimirPrintsTheLastSearchOfTheDispensationTab)
{
    logIn("farmacia", "tavro2019");
    auto *imprimir = child<TPersonBtn>(*form, "PBDispImprimir");
    auto *final = child<QLineEdit>(*form, "PEDataFinal");
    QStringList printed;
    const QStringList noSearch{QStringLiteral("standard: Pesquise as dispensações antes de imprimir.")};

    whenPreviewOpens(fixture.folder(), printed); // no search since start-up
    imprimir->Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(printed.isEmpty());
    EXPECT_EQ(messages.log, noSearch);

    final->setText(QStringLiteral("15/01/2019"));
    child<QTabWidget>(*form, "PageControl1")->setCurrentWidget(child<QWidget>(*form, "TSDispensacoes"));
    ASSERT_EQ(child<QTableView>(*form, "LVDispensacoes")->model()->rowCount(), 5);
    final->setText(QStringLiteral("31/01/2019")); // edited since, not searched
    child<QCheckBox>(*form, "CBDiExibirOk")->setChecked(false);
    messages.log.clear();
    whenPreviewOpens(fixture.folder(), printed);
    imprimir->Click();
    ASSERT_EQ(printed.size(), 1);
    EXPECT_TRUE(printed.at(0).contains(QStringLiteral("Período de 01/01/2019 a 15/01/2019")));
    EXPECT_TRUE(printed.at(0).contains(QStringLiteral("Inconsistências; Ok;"))); // the boxes as searched
    EXPECT_EQ(printed.at(0).count(QRegularExpression(QStringLiteral("\\b30\\d\\d - \\d"))), 5);

    final->setText(QStringLiteral("31/02/2019")); // a failed search leaves nothing to print
    child<QPushButton>(*form, "BtnPesquisar")->click();
    messages.log.clear();
    whenPreviewOpens(fixture.folder(), printed);
    imprimir->Click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(printed.isEmpty());
    EXPECT_EQ(messages.log, noSearch);
}

TEST_F(Window, AFailedSearchSaysSoInPortugueseAndEmptiesItsList)
{
    logIn("farmacia", "tavro2019");
    auto *tabs = child<QTabWidget>(*form, "PageControl1");
    auto *final = child<TPersonEdit>(*form, "PEDataFinal");
    auto *list = child<QTableView>(*form, "LVDispensacoes")->model();
    auto *wait = child<QLabel>(*form, "LAguarde");
    const QString dateRefused = QStringLiteral("standard: Valor Inválido, insira uma Data Válida!");
    const struct
    {
        const char *how;
        std::function<void()> act;
        QString message;
    } cases[] = {
        // The refused field keeps the focus while the operator picks another tab.
        {"tab switched with a refused day",
         [&] {
             final->setText(QStringLiteral("31/02/2019"));
             tabs->setCurrentWidget(child<QWidget>(*form, "TSDispensacoes"));
         },
         dateRefused},
        // Leaving the field for a button: its own refusal is the one message, and the
        // refusal taking the focus back leaves the button unpressed.
        {"refused day left for a transmit button",
         [&] {
             tabs->setCurrentWidget(child<QWidget>(*form, "TSDispensacoes"));
             final->setFocus();
             final->setText(QStringLiteral("31/02/2019"));
             auto *button = child<QPushButton>(*form, "PBDispensacao");
             QTest::mousePress(button, Qt::LeftButton);
             QCoreApplication::processEvents();
             QTest::mouseRelease(button, Qt::LeftButton);
             EXPECT_FALSE(button->isDown());
         },
         dateRefused},
        {"unit code the database cannot compare",
         [&] {
             child<TPersonEdit>(*form, "PECodigoUnidade")->setText(QStringLiteral("x1"));
             tabs->setCurrentWidget(child<QWidget>(*form, "TSDispensacoes"));
         },
         QString()},
    };
    for (const auto &c : cases) {
        activate(form.get());
        tabs->setCurrentWidget(child<QWidget>(*form, "TSProtocolos"));
        child<QLineEdit>(*form, "EUsuario")->setFocus();
        child<TPersonEdit>(*form, "PECodigoUnidade")->setText(QStringLiteral("1"));
        final->setText(QStringLiteral("31/01/2019"));
        tabs->setCurrentWidget(child<QWidget>(*form, "TSDispensacoes"));
        ASSERT_EQ(list->rowCount(), 7) << c.how;
        tabs->setCurrentWidget(child<QWidget>(*form, "TSProtocolos"));
        messages.log.clear();
        c.act();
        if (c.message.isEmpty()) {
            EXPECT_EQ(messages.log.size(), 1) << c.how;
            EXPECT_TRUE(messages.log.value(0).startsWith(QStringLiteral("standard: "))) << c.how;
        } else {
            EXPECT_EQ(messages.log, QStringList{c.message}) << c.how;
        }
        EXPECT_EQ(list->rowCount(), 0) << c.how;
        EXPECT_TRUE(wait->text().isEmpty()) << c.how;
    }
}

TEST_F(Window, TransmitButtonGetsTheFocusBackAfterItsRun)
{
    logIn("farmacia", "tavro2019");
    child<QTabWidget>(*form, "PageControl1")->setCurrentWidget(child<QWidget>(*form, "TSDispensacoes"));
    child<TPersonEdit>(*form, "PEDataInicial")->setText(QStringLiteral("01/01/2018"));
    child<TPersonEdit>(*form, "PEDataFinal")->setText(QStringLiteral("31/01/2018"));
    child<QPushButton>(*form, "BtnPesquisar")->click(); // an empty period: the run finds nothing to send
    auto *button = child<TPersonBtn>(*form, "PBDispensacao");
    button->setFocus();
    messages.log.clear();
    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(messages.log,
              QStringList{QStringLiteral("info: Atenção! Todos os registros já foram transferidos!\n"
                                         "Enviados 0, recusados 0, restam 0")});
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), button);
}

TEST(ErrorDisplay, TheWindowsDisplayGoesWithTheWindow)
{
    TestDatabase fixture;
    QTemporaryDir dir;
    RecordingMessages messages;
    {
        TForm1 form(onlyFile(writeConfig(dir.path(), fixture.path())), messages);
        ASSERT_TRUE(form.FormCreate());
        showError(&form, QStringLiteral("while the window lives"));
    }
    bool boxShown = false;
    QTimer::singleShot(0, [&] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            boxShown = true;
            box->close();
        }
    });
    showError(nullptr, QStringLiteral("after the window"));
    EXPECT_EQ(messages.log, QStringList{QStringLiteral("standard: while the window lives")});
    EXPECT_TRUE(boxShown);
}

TEST(QtTranslations, QtsOwnDialogsSpeakPortuguese)
{
    QTranslator *translator = installQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "qt6-translations-l10n is not installed";
    EXPECT_NE(QCoreApplication::translate("QPrintPreviewDialog", "Print Preview"), QStringLiteral("Print Preview"));
    EXPECT_NE(QCoreApplication::translate("QPrintPreviewDialog", "Fit width"), QStringLiteral("Fit width"));
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

// The overview's figures, and a click on one opening its list with the month as the
// period, the status's boxes ticked and as many rows of that status as the figure says.
TEST_F(Window, OverviewCellsOpenTheirListsForTheMonthAndStatus)
{
    fixture.exec(QStringLiteral("update itensentradas set TavroSituacao = 'Aguardando' where lancamento = 1001"));
    fixture.exec(QStringLiteral("update itensentradas set TavroSituacao = 'Ok' where lancamento = 1002"));
    fixture.exec(QStringLiteral("update conciliacao set TavroSituacao = 'Ok' where data = '2019-01-31'"));
    logIn("farmacia", "tavro2019");
    auto *tabs = child<QTabWidget>(*form, "PageControl1");
    EXPECT_EQ(tabs->tabText(tabs->indexOf(child<QWidget>(*form, "TSProtocolos")) + 1), QStringLiteral("Situação"));
    auto *period = child<QComboBox>(*form, "CBSituacaoPeriodo");
    period->setCurrentIndex(period->findData(2019));
    tabs->setCurrentWidget(child<QWidget>(*form, "TSSituacao"));
    auto *view = child<QTableView>(*form, "LVSituacao");
    QAbstractItemModel *model = view->model();
    ASSERT_EQ(model->rowCount(), 4 * 12);

    const auto cell = [&](const QString &kind, const QString &month, const QString &status) {
        int column = -1;
        for (int c = 0; c < model->columnCount(); ++c) {
            if (model->headerData(c, Qt::Horizontal).toString() == status)
                column = c;
        }
        for (int r = 0; r < model->rowCount(); ++r) {
            if (model->index(r, 0).data().toString() == kind && model->index(r, 1).data().toString() == month)
                return model->index(r, column);
        }
        return QModelIndex();
    };
    const auto click = [&](const QModelIndex &index) {
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    };
    const auto statusCount = [&](const char *list, int statusColumn, const QString &status) {
        QAbstractItemModel *rows = child<QTableView>(*form, list)->model();
        int n = 0;
        for (int r = 0; r < rows->rowCount(); ++r)
            n += rows->index(r, statusColumn + 1).data().toString() == status;
        return n;
    };

    const QModelIndex waiting = cell("Entradas", "01/2019", "Aguardando");
    ASSERT_TRUE(waiting.isValid());
    EXPECT_EQ(waiting.data().toInt(), 3);
    EXPECT_EQ(waiting.data(Qt::ForegroundRole).value<QColor>(), QColor(128, 128, 0));
    click(waiting);
    EXPECT_EQ(tabs->currentWidget(), child<QWidget>(*form, "TSEntradas"));
    EXPECT_EQ(child<TPersonEdit>(*form, "PEDataInicial")->text(), QStringLiteral("01/01/2019"));
    EXPECT_EQ(child<TPersonEdit>(*form, "PEDataFinal")->text(), QStringLiteral("31/01/2019"));
    EXPECT_TRUE(child<QCheckBox>(*form, "CBEnExibirAguardando")->isChecked());
    for (const char *box :
         {"CBEnExibirFinalizado", "CBEnExibirInconsistencia", "CBEnExibirOk", "CBEnExibirOkRetificado"})
        EXPECT_FALSE(child<QCheckBox>(*form, box)->isChecked()) << box;
    EXPECT_EQ(statusCount("LVEntradas", EntradaCell::Situacao, QStringLiteral("Aguardando")), 3);
    EXPECT_EQ(child<QTableView>(*form, "LVEntradas")->model()->rowCount(), 3 + 3); // with the records never sent

    tabs->setCurrentWidget(child<QWidget>(*form, "TSSituacao"));
    const QModelIndex february = cell("Entradas", "02/2019", "Não enviados");
    EXPECT_EQ(february.data().toInt(), 1);
    click(february);
    EXPECT_EQ(child<TPersonEdit>(*form, "PEDataInicial")->text(), QStringLiteral("01/02/2019"));
    EXPECT_EQ(child<TPersonEdit>(*form, "PEDataFinal")->text(), QStringLiteral("28/02/2019"));
    EXPECT_TRUE(child<QCheckBox>(*form, "CBEnExibirInconsistencia")->isChecked());
    EXPECT_EQ(statusCount("LVEntradas", EntradaCell::Situacao, QString()), 1);

    // Stock: the month's last day with records of the status.
    tabs->setCurrentWidget(child<QWidget>(*form, "TSSituacao"));
    const QModelIndex stock = cell("Estoque", "01/2019", "Não enviados");
    EXPECT_EQ(stock.data().toInt(), 18);
    click(stock);
    EXPECT_EQ(tabs->currentWidget(), child<QWidget>(*form, "TSEstoque"));
    EXPECT_EQ(child<QComboBox>(*form, "CBEstoqueDia")->currentText(), QStringLiteral("30/01/2019"));
    EXPECT_EQ(statusCount("LVEstoque", EstoqueCell::Situacao, QString()), 9);
    tabs->setCurrentWidget(child<QWidget>(*form, "TSSituacao"));
    click(cell("Estoque", "02/2019", "Não enviados")); // no position that month: an empty list
    EXPECT_EQ(child<QComboBox>(*form, "CBEstoqueDia")->currentIndex(), -1);
    EXPECT_EQ(child<QTableView>(*form, "LVEstoque")->model()->rowCount(), 0);
    EXPECT_TRUE(messages.log.isEmpty()) << messages.log.join('\n').toStdString();
}

// A window whose service is tavro-sim answering every call after 300 ms.
class SlowService : public Window
{
protected:
    void SetUp() override
    {
        sim = std::make_unique<test::SimProcess>(test::simArguments(test::TestLogin, {"--atraso", "300"}));
        Window::SetUp();
    }
    QStringList tavroKeys() const override { return {QStringLiteral("Servidor=") + test::localOrigin(sim->port())}; }
    // Logged in on the goods-received tab with twenty more lines, a click sending twenty
    // batches of one record.
    void readyForTwentyBatches()
    {
        fixture.exec(QStringLiteral("execute block as declare i integer = 0; begin while (i < 20) do begin "
                                    "insert into ITENSENTRADAS "
                                    "(lancamento, item, CODPRODUTO, LOTE, QUANTIDADE, codunidade) "
                                    "values (1001, 10 + :i, 101, 'AMX1801', 1, 1); i = i + 1; end end"));
        logIn("farmacia", "tavro2019");
        child<QTabWidget>(*form, "PageControl1")->setCurrentWidget(child<QWidget>(*form, "TSEntradas"));
        child<QSpinBox>(*form, "SEQuantidadeRegistros")->setValue(1);
        child<QSpinBox>(*form, "SEEntradasVezes")->setValue(20);
    }
    std::unique_ptr<test::SimProcess> sim;
};

// "Parar" clicked while the first of twenty batches is on its way: it reads "Parando…" at
// once, that batch is sent and recorded whole, no other starts, and the click ends saying so.
TEST_F(SlowService, PararStopsTheLoopAfterTheCurrentBatch)
{
    readyForTwentyBatches();
    auto *parar = child<QPushButton>(*form, "BtnParar");
    auto *strip = child<ProgressStrip>(*form, "Progresso");
    auto *box = child<QCheckBox>(*form, "CBEnExibirOk");
    QString shown, stopping;
    bool stripVisible = false;
    QTimer::singleShot(150, [&] {
        stripVisible = strip->isVisible() && parar->isVisible();
        shown = child<QLabel>(*form, "LProgresso")->text();
        QTest::mouseClick(box, Qt::LeftButton); // any other control ignores input during the loop
        QTest::mouseClick(parar, Qt::LeftButton);
        stopping = parar->text();
        keepShot(*form, "parando");
    });
    QTest::mouseClick(child<QPushButton>(*form, "PBEntradas"), Qt::LeftButton);

    EXPECT_TRUE(stripVisible);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Lote 1 de até 20: 0 registros enviados, 0 recusados")))
        << shown.toStdString();
    EXPECT_EQ(stopping, QStringLiteral("Parando…"));
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(strip->isVisible());
    EXPECT_TRUE(child<QPushButton>(*form, "PBEntradas")->isEnabled());
    // The test's 20 rows and the period's 6 that pass their checks, less the one batch sent.
    EXPECT_EQ(messages.log,
              QStringList{QStringLiteral("info: Interrompido pelo usuário: 1 lotes enviados, 25 restam.")});
    const QList<QStringList> registry = fixture.rows(QStringLiteral("select Protocolo from TavroProtocolos"));
    ASSERT_EQ(registry.size(), 1);
    EXPECT_EQ(fixture.rows(QStringLiteral("select TavroProtocolo from itensentradas where TavroSituacao is not null")),
              QList<QStringList>{registry.first()});

    // Input works again: the next click sends the next batches.
    child<QSpinBox>(*form, "SEEntradasVezes")->setValue(2);
    QTest::mouseClick(child<QPushButton>(*form, "PBEntradas"), Qt::LeftButton);
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos")), QStringLiteral("3"));
}

// A logout or shutdown (SIGTERM) while the first of twenty batches is on its way: that batch
// is sent and recorded whole, no other starts, and the window ends with the signal's exit code.
// The window's end runs in a child of its own, which the death test re-runs from the start.
TEST_F(SlowService, ASignalEndsTheWindowAfterTheBatchOnItsWay)
{
    readyForTwentyBatches();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            endOnSignals(*qApp, *form);
            QTimer::singleShot(150, [] { ::raise(SIGTERM); });
            QTest::mouseClick(child<QPushButton>(*form, "PBEntradas"), Qt::LeftButton);
            const bool oneBatch = fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos"))
                    == QStringLiteral("1")
                && messages.log
                    == QStringList{QStringLiteral("info: Interrompido pelo usuário: 1 lotes enviados, 25 restam.")};
            std::fputs(oneBatch ? "um lote\n" : qPrintable(messages.log.join('\n')), stderr);
            const int exit = QApplication::exec();
            sim.reset(); // which would keep the death test's pipe open
            // Without the leak check at exit: the application and its fonts are not torn down.
            std::_Exit(exit);
        },
        ::testing::ExitedWithCode(128 + SIGTERM), "Parando após o lote atual(.|\n)*um lote");
}

// A screen reader's walk of the window is a run of calls, each answered on the window's thread:
// while a batch waits for the service, a walk of a hundred calls reading "Parar" ends well
// within the half second a person notices, instead of waiting out the send.
class VerySlowService : public SlowService
{
protected:
    void SetUp() override
    {
        sim = std::make_unique<test::SimProcess>(test::simArguments(test::TestLogin, {"--atraso", "2000"}));
        Window::SetUp();
    }
};

TEST_F(VerySlowService, TheWindowAnswersWhileABatchWaitsForTheService)
{
    logIn("farmacia", "tavro2019");
    child<QTabWidget>(*form, "PageControl1")->setCurrentWidget(child<QWidget>(*form, "TSEntradas"));
    child<QSpinBox>(*form, "SEEntradasVezes")->setValue(1);
    auto *parar = child<QPushButton>(*form, "BtnParar");
    qint64 walkMs = -1;
    std::atomic<bool> walked{false};
    QString read;
    std::thread walker;
    QTimer::singleShot(1000, [&] { // the description is read; the batch waits for its answer
        walker = std::thread([&] {
            QElapsedTimer walk;
            walk.start();
            for (int call = 0; call < 100; ++call)
                QMetaObject::invokeMethod(
                    parar, [&] { read = parar->text(); }, Qt::BlockingQueuedConnection);
            walkMs = walk.elapsed();
            walked = true;
        });
    });
    QTest::mouseClick(child<QPushButton>(*form, "PBEntradas"), Qt::LeftButton);
    const bool walkedDuringSend = walked;
    walker.join();
    EXPECT_EQ(read, QStringLiteral("Parar"));
    EXPECT_TRUE(walkedDuringSend);
    EXPECT_LT(walkMs, 500) << "the walk waited " << walkMs << " ms";
}

// The two stock rows of 31/01/2019 whose products have no catalogue code.
const QString Algodao = QStringLiteral("5031 - ALGODÃO HIDRÓFILO 500G");
const QString Gaze = QStringLiteral("5032 - GAZE ESTÉRIL 7,5X7,5CM");

// The window against tavro-sim, logged in as FARMACIA, on the stock tab of 31/01/2019
// with the products without code shown: nine rows that can go and two that cannot.
class WindowTransmitting : public Window
{
protected:
    QStringList tavroKeys() const override
    {
        return {QStringLiteral("Servidor=") + test::localOrigin(sim.port()),
                QStringLiteral("Namespace=") + test::TestNamespace, QStringLiteral("TempoLimite=20")};
    }
    void SetUp() override
    {
        Window::SetUp();
        logIn("farmacia", "tavro2019");
        tabs = child<QTabWidget>(*form, "PageControl1");
        tabs->setCurrentWidget(child<QWidget>(*form, "TSEstoque"));
        child<QCheckBox>(*form, "CBExibirSemCodigo")->setChecked(true);
        form->CBEstoqueDiaChange();
        messages.log.clear();
    }
    QString errorLine(int line) { return errors()->document()->findBlockByNumber(line).text(); }
    // Stock rows the database holds as sent.
    int marked() const
    {
        return fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroSituacao is not null"))
            .toInt();
    }
    QTextEdit *errors() { return child<QTextEdit>(*form, "REErros"); }

    test::SimProcess sim{test::simArguments(test::TestLogin)};
    QTabWidget *tabs = nullptr;
};

TEST_F(WindowTransmitting, AClickEndsWithItsAccountAndListsEachRefusalOnce)
{
    auto *counts = child<QLabel>(*form, "LContagemEstoque");
    EXPECT_EQ(counts->text(), QStringLiteral("11 registros: Não enviados 11"));
    child<QSpinBox>(*form, "SEQuantidadeRegistros")->setValue(5);
    child<QSpinBox>(*form, "SEEstoqueVezes")->setValue(1);
    child<TPersonBtn>(*form, "PBEstoque")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(counts->text(), QStringLiteral("11 registros: Não enviados 6, Aguardando 5"));
    // One run of five: no end message, the account in the strip.
    EXPECT_TRUE(messages.log.isEmpty()) << messages.log.join('\n').toStdString();
    EXPECT_EQ(child<QLabel>(*form, "LConta")->text(), QStringLiteral("Enviados 5, recusados 2 (ver Erros), restam 4"));
    EXPECT_EQ(marked(), 5);
    // The first call of the program over plain http adds its warning, a note, to the four refusals.
    EXPECT_EQ(tabs->tabText(tabs->indexOf(child<QWidget>(*form, "TSErros"))), QStringLiteral("Erros (4) · Avisos (1)"));

    // Three runs, of which the last finds nothing: each refusal still listed once.
    child<QSpinBox>(*form, "SEEstoqueVezes")->setValue(10);
    child<TPersonBtn>(*form, "PBEstoque")->click();
    // Rows were refused: the box says so first, with the warning icon.
    EXPECT_EQ(messages.log,
              QStringList{QStringLiteral("warning: Enviados 4; 2 recusados ficam pendentes: veja Erros.\n"
                                         "Atenção! Todos os registros já foram transferidos!")});
    EXPECT_EQ(marked(), 9);
    EXPECT_EQ(child<QLabel>(*form, "LConta")->text(), QStringLiteral("Enviados 4, recusados 2 (ver Erros), restam 0"));
    EXPECT_EQ(errors()->toPlainText().split(QLatin1Char('\n')),
              (QStringList{QStringLiteral("Falta Código de Identificação para o produto: ") + Algodao,
                           QStringLiteral("Código de produto inválido! ") + Algodao,
                           QStringLiteral("Falta Código de Identificação para o produto: ") + Gaze,
                           QStringLiteral("Código de produto inválido! ") + Gaze}));
    EXPECT_EQ(tabs->tabText(tabs->indexOf(child<QWidget>(*form, "TSErros"))), QStringLiteral("Erros (4)"));
    tabs->setCurrentWidget(child<QWidget>(*form, "TSErros"));
    keepShot(*form, "account-and-erros");
    errors()->clear();
    EXPECT_EQ(tabs->tabText(tabs->indexOf(child<QWidget>(*form, "TSErros"))), QStringLiteral("Erros"));
}

// A send without the unit's codes does not start: one box says which code is missing. A unit
// whose type is not registered stops the first run with its own box. Nothing reaches the service
// either way, from a transmit button or from "Enviar tudo".
TEST_F(WindowTransmitting, ASendWithoutTheUnitsCodesOrTypeSaysWhyAndSendsNothing)
{
    const struct
    {
        const char *button;
        const char *cnes;
        const char *ibge;
        const char *box;
    } cases[] = {
        {"PBEstoque", "", "3550308", "warning: Informe o Código CNES da Unidade"},
        {"PBEstoque", "2345678", "", "warning: Informe o Código IBGE do Município"},
        {"PBEstoque", "4567890", "3550308",
         "info: Atenção!!! informe o tipo de estabelecimento no cadastro de unidades!"},
        {"BtnSituacaoEnviarTudo", "", "3550308", "warning: Informe o Código CNES da Unidade"},
        {"BtnSituacaoEnviarTudo", "2345678", "", "warning: Informe o Código IBGE do Município"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.cnes + "/" + c.ibge);
        child<TPersonEdit>(*form, "PECodCNES")->setText(QString::fromUtf8(c.cnes));
        child<QLineEdit>(*form, "PECodIBGE")->setText(QString::fromUtf8(c.ibge));
        messages.log.clear();
        child<QAbstractButton>(*form, c.button)->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(messages.log, QStringList{QString::fromUtf8(c.box)});
    }
    EXPECT_EQ(marked(), 0);
    EXPECT_TRUE(sim.requests().filter(QRegularExpression(QStringLiteral("^POST "))).isEmpty());
}

TEST_F(WindowTransmitting, DoubleClickOnAnErrorLineOpensItsRow)
{
    child<TPersonBtn>(*form, "PBEstoque")->click();
    tabs->setCurrentWidget(child<QWidget>(*form, "TSErros"));
    // Line 0 is the warning of the program's first call over plain http.
    ASSERT_EQ(errorLine(3), QStringLiteral("Falta Código de Identificação para o produto: ") + Gaze);
    QTextCursor cursor(errors()->document()->findBlockByNumber(3));
    QTest::mouseDClick(errors()->viewport(), Qt::LeftButton, {}, errors()->cursorRect(cursor).center());
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("TSEstoque"));
    auto *view = child<QTableView>(*form, "LVEstoque");
    EXPECT_EQ(view->currentIndex().siblingAtColumn(0).data().toString(), QStringLiteral("5032"));
    EXPECT_TRUE(view->selectionModel()->isRowSelected(view->currentIndex().row()));
    keepShot(*form, "double-click-row");

    // A row the list no longer holds (another day chosen since) is said to be missing.
    child<QComboBox>(*form, "CBEstoqueDia")->setCurrentIndex(1);
    tabs->setCurrentWidget(child<QWidget>(*form, "TSErros"));
    messages.log.clear();
    QTest::mouseDClick(errors()->viewport(), Qt::LeftButton, {}, errors()->cursorRect(cursor).center());
    EXPECT_EQ(messages.log, QStringList{"info: O registro 5032 não está na lista com os filtros atuais."});
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("TSEstoque"));
}

TEST_F(WindowTransmitting, StatusStripSaysWhoWorksWhereAndWithWhichService)
{
    const QString session = child<QLabel>(*form, "LSessao")->text();
    EXPECT_EQ(session,
              QStringLiteral("Operador: farmacia   Unidade: 2345678 - FARMACIA MUNICIPAL CENTRAL   "
                             "Serviço: 127.0.0.1:%1")
                  .arg(sim.port()));
}

TEST_F(WindowTransmitting, ARefusedLoginAtTheServiceSaysWhatToDo)
{
    logIn("estagiario", "estagio1"); // an operator without web-service credentials
    child<TPersonBtn>(*form, "PBEstoque")->click();
    EXPECT_EQ(messages.log,
              QStringList{QStringLiteral("error[Erro, transmissão abortada!]: "
                                         "Usuário ou senha inválidos\n")
                          + ErrorHint::UsuarioRecusado
                          + QStringLiteral("\n\nEnviados 0, recusados 2 (ver Erros), restam 9")});
    EXPECT_EQ(marked(), 0);
    EXPECT_EQ(child<QLabel>(*form, "LSessao")->text().section(QLatin1String("   "), 0, 0),
              QStringLiteral("Operador: estagiario"));
}

TEST_F(WindowTransmitting, ARetransmissionAsksFirstAndADeclineSendsNothing)
{
    child<TPersonBtn>(*form, "PBEstoque")->click();
    const QString protocol = fixture.scalar(QStringLiteral("select Protocolo from TavroProtocolos"));
    const QString received = fixture.scalar(QStringLiteral("select Data from TavroProtocolos"));
    fixture.exec(QStringLiteral("update conciliacao set TavroSituacao = 'Ok', TavroSituacaoPrioridade = 40, "
                                "TavroCoRegistro = lancamento + 900000 where TavroProtocolo is not null"));
    form->CBEstoqueDiaChange();
    auto *choice = child<QComboBox>(*form, "CBProtocolosEstoque");
    ASSERT_EQ(choice->count(), 2);
    EXPECT_EQ(choice->itemText(1), QStringLiteral("%1 - %2 - Estoque").arg(protocol, received));
    choice->setCurrentIndex(1);
    sim.requests();
    messages.log.clear();

    const QString question = QStringLiteral("question: Retransmitir o protocolo %1, de %2 (Estoque)?\n"
                                            "9 registros serão enviados de novo ao Tavro como retificação.")
                                 .arg(protocol, received);
    child<TPersonBtn>(*form, "PBEstoque")->click();
    EXPECT_EQ(messages.log, QStringList{question});
    EXPECT_TRUE(sim.requests().isEmpty());
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos")).toInt(), 1);
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from conciliacao where TavroSituacao = 'Ok'")).toInt(), 9);
    EXPECT_TRUE(child<TPersonBtn>(*form, "PBEstoque")->isEnabled());

    // Yes: the rectification goes to the service.
    messages.answer = true;
    messages.log.clear();
    child<TPersonBtn>(*form, "PBEstoque")->click();
    EXPECT_EQ(messages.log.value(0), question);
    EXPECT_EQ(messages.log.size(), 2) << messages.log.join('\n').toStdString();
    EXPECT_FALSE(sim.requests().isEmpty());
}

// The header's controls in the order Tab visits them, the password shown as "*" and the
// window's caption as given, with nothing of the program's name added to it.
TEST_F(Window, HeaderTabOrderPasswordAndCaptionAreTheOnesGiven)
{
    logIn("farmacia", "tavro2019");
    auto *user = child<QLineEdit>(*form, "EUsuario");
    user->setFocus();
    QStringList visited;
    QWidget *now = user;
    for (int step = 0; step < 12; ++step) {
        QTest::keyClick(now, Qt::Key_Tab);
        now = QApplication::focusWidget();
        if (!now || child<QWidget>(*form, "PageControl1")->isAncestorOf(now) || now == user)
            break;
        visited << now->objectName();
    }
    // CNES and IBGE are disabled, and so skipped.
    EXPECT_EQ(visited,
              (QStringList{"ESenha", "BValidar", "PECodigoUnidade", "PEDataInicial", "PEDataFinal", "BtnPesquisar",
                           "SEQuantidadeRegistros", "CBExibirSemCodigo"}));
    ASSERT_NE(now, nullptr);
    EXPECT_TRUE(child<QWidget>(*form, "PageControl1")->isAncestorOf(now)) << now->objectName().toStdString();

    auto *password = child<QLineEdit>(*form, "ESenha");
    password->setText(QStringLiteral("abc"));
    EXPECT_EQ(password->displayText(), QStringLiteral("***"));
    keepShot(*form, "header");

    EXPECT_EQ(form->windowTitle(), QStringLiteral("Vidozovevor WebService Tavro - Versão 2.43"));
    // A display name would follow every window's and dialog's caption on the desktop.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
}

// The desktop's message boxes carry no title but the one an operation gives them.
TEST(MessageBoxes, TitlesAreEmptyUnlessTheOperationNamesOne)
{
    MessageBoxes boxes;
    QWidget parent;
    parent.show();
    QStringList titles;
    const auto closeNextBox = [&] {
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                titles << box->windowTitle();
                box->reject();
            }
        });
    };
    closeNextBox();
    boxes.information(&parent, QStringLiteral("Usuário ou Senha incorretos!"));
    closeNextBox();
    boxes.standardError(&parent, QStringLiteral("erro"));
    closeNextBox();
    boxes.question(&parent, QStringLiteral("pergunta?"));
    closeNextBox();
    boxes.warning(&parent, QStringLiteral("Informe o Código CNES da Unidade"));
    closeNextBox();
    boxes.error(&parent, LoginErrorTitle, QStringLiteral("erro"));
    EXPECT_EQ(titles, (QStringList{QString(), QString(), QString(), QString(), LoginErrorTitle}));
}

// A movement list read at 1366x768: the status beside the key, the key in view however far
// the list scrolls sideways, columns no row fills shrunk to their caption, a cut cell's
// whole text as its tooltip, and the retransmission box showing its entries whole.
TEST_F(Window, MovementListsReadWithoutScrollingHunts)
{
    fixture.exec(QStringLiteral("update itensentradas set TavroProtocolo = '100000000001', "
                                "TavroData = '10-12-2026 14:33:12', TavroSituacao = 'Ok' where lancamento = 1001"));
    fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Data, Tipo, Situacao, cnes) values "
                                "('100000000001', '10-12-2026 14:33:12', 'Entrada', 'Ok', '2345678')"));
    form->showNormal();
    form->resize(1366, 768);
    logIn("farmacia", "tavro2019");
    auto *tabs = child<QTabWidget>(*form, "PageControl1");
    tabs->setCurrentWidget(child<QWidget>(*form, "TSEntradas"));
    QCoreApplication::processEvents();
    auto *view = child<QTableView>(*form, "LVEntradas");
    QAbstractItemModel *list = view->model();
    ASSERT_GT(list->rowCount(), 3);
    const int status = EntradaCell::Situacao + 1;
    EXPECT_EQ(list->headerData(status, Qt::Horizontal).toString(), QStringLiteral("Situação")); // the list's order
    EXPECT_EQ(list->index(0, status).data().toString(), QStringLiteral("Ok"));
    EXPECT_LE(view->visualRect(list->index(0, status)).right(), view->viewport()->width());
    keepShot(*form, "entradas-1366");

    // Scrolled to the far right, the key column still stands at the left edge.
    view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
    QCoreApplication::processEvents();
    EXPECT_LT(view->visualRect(list->index(0, 0)).right(), 0); // the grid's own key column scrolled away
    auto *key = child<QTableView>(*view, "ChaveFixa");
    EXPECT_TRUE(key->isVisible());
    EXPECT_EQ(key->geometry().left(), view->frameWidth());
    EXPECT_EQ(key->visualRect(list->index(0, 0)).left(), 0);
    EXPECT_EQ(key->visualRect(list->index(0, 0)).width(), view->columnWidth(0));
    keepShot(*form, "entradas-scrolled");
    view->horizontalScrollBar()->setValue(0);

    // No row fills "Programa Saude": it shrinks to its caption; "Nome" keeps its width.
    const int programa = EntradaCell::ProgramaSaude + 1, nome = EntradaCell::Nome + 1;
    EXPECT_EQ(view->columnWidth(programa), view->horizontalHeader()->sectionSizeHint(programa));
    EXPECT_LT(view->columnWidth(programa), view->columnWidth(EntradaCell::Lote + 1) + 30);
    const int nomeWidth = view->columnWidth(nome);
    EXPECT_GT(nomeWidth, view->horizontalHeader()->sectionSizeHint(nome));

    // A cut name shows whole as a tooltip; a cell that fits shows none.
    const auto tipAt = [&](const QModelIndex &index) {
        QToolTip::hideText(); // it fades out: wait until the last one has gone
        for (int waited = 0; QToolTip::isVisible() && waited < 2000; waited += 20)
            QTest::qWait(20);
        const QPoint at = view->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
        QApplication::sendEvent(view->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    view->setColumnWidth(nome, 40);
    EXPECT_EQ(tipAt(list->index(0, nome)), list->index(0, nome).data().toString());
    EXPECT_EQ(tipAt(list->index(0, EntradaCell::Quantidade + 1)), QString());
    view->setColumnWidth(nome, nomeWidth);

    auto *choice = child<QComboBox>(*form, "CBProtocolosEntradas");
    ASSERT_EQ(choice->count(), 2);
    QCoreApplication::processEvents();
    EXPECT_GE(choice->width(), choice->fontMetrics().horizontalAdvance(choice->itemText(1)) + 20)
        << choice->itemText(1).toStdString();
    EXPECT_TRUE(messages.log.isEmpty()) << messages.log.join('\n').toStdString();
}

// The stock tab before a day is listed says how to list one, and its day box offers the
// days with positions still to send first.
TEST_F(Window, StockTabSaysHowToListADayAndOffersDaysToSendFirst)
{
    logIn("farmacia", "tavro2019");
    auto *tabs = child<QTabWidget>(*form, "PageControl1");
    tabs->setCurrentWidget(child<QWidget>(*form, "TSEstoque"));
    auto *view = qobject_cast<RecordView *>(child<QTableView>(*form, "LVEstoque"));
    ASSERT_NE(view, nullptr);
    auto *days = child<QComboBox>(*form, "CBEstoqueDia");
    // The most recent day is chosen at start but listed only when the focus enters the list.
    EXPECT_EQ(view->shownEmptyText(),
              QStringLiteral("Clique na lista para listar as posições de %1, ou escolha outro "
                             "dia em 'Estoque do dia'.")
                  .arg(days->currentText()));
    keepShot(*form, "estoque-escolha-o-dia");
    days->setCurrentIndex(1);
    EXPECT_GT(view->model()->rowCount(), 0);
    EXPECT_EQ(view->shownEmptyText(), QString());

    // Everything of the 31st sent: that day goes after the days that still hold work.
    fixture.exec(QStringLiteral("update conciliacao set TavroSituacao = 'Aguardando' where data = '2019-01-31'"));
    child<QPushButton>(*form, "BtnPesquisar")->click();
    QStringList offered;
    for (int i = 0; i < days->count(); ++i)
        offered << days->itemText(i);
    EXPECT_EQ(offered, (QStringList{"30/01/2019", "29/01/2019", "31/01/2019"}));
    EXPECT_EQ(days->currentText(), QStringLiteral("30/01/2019")); // the day listed stays chosen
    EXPECT_TRUE(messages.log.isEmpty()) << messages.log.join('\n').toStdString();
}

// "Situação" opens on the twelve months up to the unit's latest record, counts on whole
// ticks whose scale depends on the figures alone, and a click on a figure says in the
// status strip what it opened and leaves the keyboard on that list.
TEST_F(Window, SituacaoOpensOnTheUnitsRecordsAndSaysWhatAClickOpened)
{
    logIn("farmacia", "tavro2019");
    auto *tabs = child<QTabWidget>(*form, "PageControl1");
    tabs->setCurrentWidget(child<QWidget>(*form, "TSSituacao"));
    auto *view = child<QTableView>(*form, "LVSituacao");
    QAbstractItemModel *model = view->model();
    ASSERT_EQ(model->rowCount(), 4 * 12);
    EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("03/2018"));
    EXPECT_EQ(model->index(11, 1).data().toString(), QStringLiteral("02/2019")); // the demo's last records

    auto *chartView = child<QChartView>(*form, "ChartSituacao");
    auto *kindBox = child<QComboBox>(*form, "CBSituacaoGrafico");
    const auto scale = [&] {
        const QList<QAbstractAxis *> axes = chartView->chart()->axes(Qt::Vertical);
        auto *axis = axes.isEmpty() ? nullptr : qobject_cast<QValueAxis *>(axes.first());
        return axis ? QStringList{QString::number(axis->min()), QString::number(axis->max()),
                                  QString::number(axis->tickInterval()), QString::number(int(axis->tickType()))}
                    : QStringList();
    };
    // Stock of 01/2019: 29 positions, never sent, on whole ticks of 10 up to 30.
    const QStringList stock{"0", "30", "10", QString::number(int(QValueAxis::TicksDynamic))};
    EXPECT_EQ(scale(), stock);
    kindBox->setCurrentIndex(1);
    const QStringList entradas = scale();
    ASSERT_EQ(entradas.size(), 4);
    EXPECT_EQ(entradas.at(2).toDouble(), qRound(entradas.at(2).toDouble())) << entradas.join(' ').toStdString();
    kindBox->setCurrentIndex(0);
    child<QPushButton>(*form, "BtnSituacaoAtualizar")->click();
    EXPECT_EQ(scale(), stock); // the same figures, the same scale
    keepShot(*form, "situacao");

    const auto click = [&](int row, const QString &status) {
        int column = -1;
        for (int c = 0; c < model->columnCount(); ++c) {
            if (model->headerData(c, Qt::Horizontal).toString() == status)
                column = c;
        }
        const QModelIndex index = model->index(row, column);
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    };
    auto *note = child<QLabel>(*form, "LConta");
    click(10, QStringLiteral("Não enviados")); // Estoque, 01/2019
    EXPECT_EQ(note->text(), QStringLiteral("Estoque de 31/01/2019, situação Não enviados"));
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(*form, "LVEstoque"));
    keepShot(*form, "situacao-aberta");

    tabs->setCurrentWidget(child<QWidget>(*form, "TSSituacao"));
    click(12 + 10, QStringLiteral("Não enviados")); // Entradas, 01/2019
    EXPECT_EQ(note->text(), QStringLiteral("Entradas de 01/01/2019 a 31/01/2019, situação Não enviados"));
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(*form, "LVEntradas"));
    EXPECT_TRUE(messages.log.isEmpty()) << messages.log.join('\n').toStdString();
}

// After the card holders' batch, "Trans. Sem Cartão SUS" still writes its line about each
// card holder: notes about rows it was not to send, counted apart from the errors.
TEST_F(WindowTransmitting, LinesAboutRowsNotToSendAreNotesNotErrors)
{
    tabs->setCurrentWidget(child<QWidget>(*form, "TSDispensacoes"));
    child<TPersonBtn>(*form, "PBDispensacao")->click();
    messages.log.clear();
    child<TPersonBtn>(*form, "PBSemCartaoSus")->click();
    // The lines about rows the card holders' click already sent are notes, drawn grey; the
    // refusals of rows still to send (a card holder it refused included) are errors.
    QStringList notes, refusals;
    const QColor grey = errors()->palette().color(QPalette::Disabled, QPalette::Text);
    for (QTextBlock block = errors()->document()->begin(); block.isValid(); block = block.next()) {
        QTextCursor inside(block);
        inside.movePosition(QTextCursor::NextCharacter);
        (inside.charFormat().foreground().color() == grey ? notes : refusals) << block.text().section(' ', -1);
    }
    EXPECT_EQ(notes, (QStringList{"SILVA", "SANTOS", "3002-1"}));
    EXPECT_EQ(refusals, (QStringList{"7,5X7,5CM", "3005-2", "ALVES"}));
    EXPECT_EQ(tabs->tabText(tabs->indexOf(child<QWidget>(*form, "TSErros"))), QStringLiteral("Erros (3) · Avisos (3)"));
    EXPECT_EQ(messages.log,
              QStringList{QStringLiteral("warning: Enviados 3; 2 recusados ficam pendentes: veja Erros.\n"
                                         "Atenção! Todos os registros já foram transferidos!")});
    tabs->setCurrentWidget(child<QWidget>(*form, "TSErros"));
    keepShot(*form, "erros-avisos");
}

// "Enviar tudo o que falta" runs what the nightly run runs: every kind's records still to
// send, then the follow-up; its summary stands on the tab and where the nightly run leaves
// its own, and the figures are counted again.
TEST_F(WindowTransmitting, EnviarTudoSendsEveryKindAndShowsTheNightlySummary)
{
    tabs->setCurrentWidget(child<QWidget>(*form, "TSSituacao"));
    auto *overview = child<QTableView>(*form, "LVSituacao")->model();
    const auto notSent = [&](int row) { return overview->index(row, 2).data().toInt(); };
    EXPECT_EQ(notSent(10), 33); // Estoque, 01/2019, products without code shown

    child<QPushButton>(*form, "BtnSituacaoEnviarTudo")->click();
    for (const char *tipo : {"Estoque", "Entrada", "Saída", "Dispensação"})
        EXPECT_NE(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos where Tipo = '%1'").arg(tipo)),
                  QStringLiteral("0"))
            << tipo;
    EXPECT_EQ(notSent(10), 6); // the positions the checks refuse (no product code) stay
    const QString summary = child<QPlainTextEdit>(*form, "MSituacaoResumo")->toPlainText();
    EXPECT_TRUE(child<QPlainTextEdit>(*form, "MSituacaoResumo")->isVisible());
    EXPECT_TRUE(summary.contains(QStringLiteral(": CONCLUÍDA"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("Acompanhamento"))) << summary.toStdString();
    EXPECT_EQ(child<QLabel>(*form, "LConta")->text(), QStringLiteral("Enviar tudo o que falta: concluída"));
    // Its refusals are in Erros, as a transmit button leaves them.
    EXPECT_TRUE(tabs->tabText(tabs->indexOf(child<QWidget>(*form, "TSErros"))).startsWith(QStringLiteral("Erros (")));
    EXPECT_TRUE(
        child<QPushButton>(*form, "LastSync")->text().startsWith(QStringLiteral("Última sincronização pela janela: ")));
    QFile json(fixture.folder() + QStringLiteral("/sincronizar-ultimo.json")); // the data folder
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    EXPECT_TRUE(json.readAll().contains("\"manual\": true"));
    QFile log(fixture.folder() + QStringLiteral("/sincronizar.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("fim, conclu"));
    EXPECT_TRUE(child<QPushButton>(*form, "BtnSituacaoEnviarTudo")->isEnabled());
    EXPECT_TRUE(messages.log.isEmpty()) << messages.log.join('\n').toStdString();
    keepShot(*form, "enviar-tudo");
}

// While the nightly run of the unit of CNESFARMACIA holds its lock, "Enviar tudo o que falta"
// sends nothing and says who holds it; the run log keeps the attempt, and no summary is left.
TEST_F(WindowTransmitting, EnviarTudoWaitsForTheNightlyRunOfTheSameUnit)
{
    SyncRun nightly(fixture.folder(), fixture.path(), QString(), QStringLiteral("2345678"));
    ASSERT_EQ(nightly.lock(), QString());
    tabs->setCurrentWidget(child<QWidget>(*form, "TSSituacao"));
    sim.requests();

    child<QPushButton>(*form, "BtnSituacaoEnviarTudo")->click();
    const QString refusal = QStringLiteral("Outra sincronização deste banco e desta unidade já está em andamento "
                                           "(processo %1).")
                                .arg(QCoreApplication::applicationPid());
    EXPECT_EQ(messages.log, QStringList{QStringLiteral("info: ") + refusal});
    EXPECT_EQ(sim.requests().filter(QStringLiteral("POST")), QStringList());
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos")), QStringLiteral("0"));
    EXPECT_FALSE(QFileInfo::exists(fixture.folder() + QStringLiteral("/sincronizar-ultimo.json")));
    QFile log(fixture.folder() + QStringLiteral("/sincronizar.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(log.readAll()).endsWith(QStringLiteral(" não iniciada: ") + refusal + '\n'));
    EXPECT_TRUE(child<QPushButton>(*form, "BtnSituacaoEnviarTudo")->isEnabled());
}

// "Parar" during "Enviar tudo o que falta": the batch on its way is recorded, nothing else
// goes out, and the summary says the run was interrupted.
TEST_F(SlowService, EnviarTudoStopsAtOnceAndSaysSo)
{
    logIn("farmacia", "tavro2019");
    child<QTabWidget>(*form, "PageControl1")->setCurrentWidget(child<QWidget>(*form, "TSSituacao"));
    auto *parar = child<QPushButton>(*form, "BtnParar");
    bool stripShown = false;
    QTimer::singleShot(150, [&] {
        stripShown = child<ProgressStrip>(*form, "Progresso")->isVisible() && parar->isVisible();
        QTest::mouseClick(parar, Qt::LeftButton);
    });
    child<QPushButton>(*form, "BtnSituacaoEnviarTudo")->click();
    EXPECT_TRUE(stripShown);
    EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos")), QStringLiteral("1"));
    const QString summary = child<QPlainTextEdit>(*form, "MSituacaoResumo")->toPlainText();
    EXPECT_TRUE(summary.contains(QStringLiteral(": INTERROMPIDA PELO USUÁRIO"))) << summary.toStdString();
    EXPECT_EQ(child<QLabel>(*form, "LConta")->text(),
              QStringLiteral("Enviar tudo o que falta: interrompida pelo usuário"));
}

// The window against a service that keeps silent on its first batch (the transfer time-out is
// one second): that batch's call may have reached the service, so its records are held.
class WindowHolding : public Window
{
protected:
    QStringList tavroKeys() const override
    {
        return {QStringLiteral("Servidor=") + test::localOrigin(sim.port()),
                QStringLiteral("Namespace=") + test::TestNamespace, QStringLiteral("TempoLimite=1")};
    }
    void SetUp() override
    {
        Window::SetUp();
        logIn("farmacia", "tavro2019");
        tabs = child<QTabWidget>(*form, "PageControl1");
        tabs->setCurrentWidget(child<QWidget>(*form, "TSEntradas"));
        child<QSpinBox>(*form, "SEQuantidadeRegistros")->setValue(2);
        child<QSpinBox>(*form, "SEEntradasVezes")->setValue(1);
        child<TPersonBtn>(*form, "PBEntradas")->click(); // the call times out after its request left
        provisorio = fixture.scalar(QStringLiteral("select Protocolo from TavroProtocolos"));
        messages.log.clear();
        sim.requests();
    }
    QString heldButtonText() const
    {
        auto *button = child<QPushButton>(*form, "BtnRetidos");
        return button->isVisible() ? button->text() : QString();
    }
    // The protocol list's row of the held batch as the tab shows it, with the default boxes.
    QString protocolCell(int column) { return protocols()->index(0, column).data().toString(); }

    test::SimProcess sim{test::simArguments(test::TestLogin, {"--silencio", "--falhas", "1"})};
    QTabWidget *tabs = nullptr;
    QString provisorio;
};

// A batch held by a call that got no answer shows in every default view, counts in the next
// send's end box, cannot be checked at the service, and turns "Sem resposta" by the window's own
// timer, without a send; "Liberar para reenvio" says when it may be released, then what releasing
// risks.
TEST_F(WindowHolding, AHeldBatchIsInPlainSightUntilReleased)
{
    ASSERT_TRUE(provisorio.startsWith(QStringLiteral("ENV"))) << provisorio.toStdString();
    ASSERT_EQ(fixture.scalar(QStringLiteral("select Situacao from TavroProtocolos")), QStringLiteral("Enviando"));
    child<QPushButton>(*form, "BtnPesquisar")->click();
    auto *counts = child<QLabel>(*form, "LContagemEntradas");
    EXPECT_TRUE(counts->text().contains(QStringLiteral("Enviando 2"))) << counts->text().toStdString();
    EXPECT_EQ(heldButtonText(), QStringLiteral("2 registros retidos em 1 lote aguardando resposta: ver Protocolos"));
    keepShot(*form, "held-entradas");

    // The protocol list with its five boxes ticked shows it first, in its own colour, and says
    // what it is and when it may be released.
    tabs->setCurrentWidget(child<QWidget>(*form, "TSProtocolos"));
    for (const char *box : {"CBProtAguardando", "CBProtFinalizados", "CBProtInconsistencias", "CBProtOk"})
        EXPECT_TRUE(child<QCheckBox>(*form, box)->isChecked()) << box;
    EXPECT_EQ(protocolCell(1), provisorio);
    EXPECT_EQ(protocolCell(4), QStringLiteral("Enviando"));
    EXPECT_EQ(protocols()->index(0, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(204, 85, 0));
    const QString data = fixture.scalar(QStringLiteral("select Data from TavroProtocolos"));
    const QString releasable = QDateTime::fromString(data, QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                   .addSecs(unansweredAfterSeconds(1))
                                   .toString(QStringLiteral("HH:mm"));
    const QString tip = protocols()->index(0, 2).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.startsWith(
        QStringLiteral("Lote %1 (Entrada), enviado em %2, 2 registro(s) retido(s).").arg(provisorio, data)))
        << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("liberado para reenvio a partir de ") + releasable)) << tip.toStdString();

    // Neither check asks the service about a provisional protocol.
    auto *list = child<QTableView>(*form, "LVProtocolos");
    const QString refusal = QStringLiteral("info: O protocolo %1 (Enviando) é provisório, deste programa: o serviço "
                                           "não deu protocolo a este lote, então não há o que verificar nele.")
                                .arg(provisorio);
    for (const char *button : {"PBProtocolosProcessamento", "PBProtocolosInconsistencia"}) {
        list->selectRow(0);
        messages.log.clear();
        child<TPersonBtn>(*form, button)->click();
        EXPECT_EQ(messages.log, QStringList{refusal}) << button;
    }
    list->clearSelection();
    keepShot(*form, "held-protocolos");
    list->selectRow(0);
    messages.log.clear();
    child<TPersonBtn>(*form, "PBLiberarReenvio")->click();
    EXPECT_EQ(messages.log,
              QStringList{QStringLiteral("info: Lote %1 ainda aguardando resposta; poderá ser liberado a partir de %2.")
                              .arg(provisorio, releasable)});

    // Past its answer window, the idle window's timer turns it "Sem resposta" without a send.
    fixture.exec(QStringLiteral("update TavroProtocolos set Data = substring(cast(dateadd(-1 hour to "
                                "current_timestamp) as varchar(30)) from 1 for 19)"));
    auto *timer = child<QTimer>(*form, "TimerRetidos");
    EXPECT_EQ(timer->interval(), 60 * 1000);
    EXPECT_TRUE(timer->isActive());
    timer->setInterval(20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return protocolCell(4) == QStringLiteral("Sem resposta"); }, 5000));
    timer->setInterval(60 * 1000);
    EXPECT_EQ(protocolCell(1), provisorio);
    EXPECT_EQ(heldButtonText(), QStringLiteral("2 registros retidos em 1 lote sem resposta: ver Protocolos"));
    EXPECT_TRUE(child<QTextEdit>(*form, "REErros")
                    ->toPlainText()
                    .contains(QStringLiteral("Lote %1 sem resposta do serviço").arg(provisorio)));
    EXPECT_TRUE(sim.requests().filter(QStringLiteral("POST")).isEmpty());
    tabs->setCurrentWidget(child<QWidget>(*form, "TSEntradas"));
    EXPECT_TRUE(counts->text().contains(QStringLiteral("Sem resposta 2"))) << counts->text().toStdString();

    // The next send goes without them, and its end box counts them.
    child<QSpinBox>(*form, "SEEntradasVezes")->setValue(10);
    messages.log.clear();
    child<TPersonBtn>(*form, "PBEntradas")->click();
    ASSERT_EQ(messages.log.size(), 1);
    const QString endBox = messages.shown.last();
    EXPECT_TRUE(messages.log.first().startsWith(QStringLiteral("warning: ")));
    EXPECT_TRUE(endBox.endsWith(QStringLiteral("Atenção! Todos os registros já foram transferidos!\n"
                                               "2 registros retidos em 1 lote sem resposta: veja Protocolos.")))
        << endBox.toStdString();
    EXPECT_EQ(fixture.scalar(
                  QStringLiteral("select count(*) from itensentradas where TavroProtocolo = '%1'").arg(provisorio)),
              QStringLiteral("2"));
    keepShot(*form, "held-after-send");
    QMessageBox box(QMessageBox::Warning, QString(), endBox, QMessageBox::Ok, form.get());
    box.show();
    QCoreApplication::processEvents();
    keepShot(box, "held-end-box");
    box.close();

    // Released after the clerk reads what that risks: the records go to the next send.
    tabs->setCurrentWidget(child<QWidget>(*form, "TSProtocolos"));
    list->selectRow(0);
    messages.log.clear();
    const QString question = QStringLiteral("question: O lote %1 pode já estar no serviço: se estiver, os registros "
                                            "reenviados voltarão como duplicados (\"Ok (Inc.)\").\n"
                                            "Liberar os 2 registro(s) do lote para reenvio?")
                                 .arg(provisorio);
    child<TPersonBtn>(*form, "PBLiberarReenvio")->click();
    EXPECT_EQ(messages.log, QStringList{question});
    EXPECT_EQ(
        fixture.scalar(QStringLiteral("select Situacao from TavroProtocolos where Protocolo = '%1'").arg(provisorio)),
        QStringLiteral("Sem resposta"));
    messages.answer = true;
    list->selectRow(0);
    child<TPersonBtn>(*form, "PBLiberarReenvio")->click();
    EXPECT_EQ(
        fixture.scalar(QStringLiteral("select Situacao from TavroProtocolos where Protocolo = '%1'").arg(provisorio)),
        QStringLiteral("Liberado"));
    EXPECT_EQ(fixture.scalar(
                  QStringLiteral("select count(*) from itensentradas where TavroProtocolo = '%1'").arg(provisorio)),
              QStringLiteral("0"));
    EXPECT_EQ(heldButtonText(), QString());
    EXPECT_NE(protocolCell(1), provisorio);

    // A released row is refused by the checks as well, and the service hears nothing.
    auto *boxes = child<QCheckBox>(*form, "CBProtAguardando");
    for (const char *name :
         {"CBProtAguardando", "CBProtFinalizados", "CBProtInconsistencias", "CBProtOk", "CBProtOkRetificado"})
        QTest::mouseClick(child<QCheckBox>(*form, name), Qt::LeftButton);
    EXPECT_FALSE(boxes->isChecked());
    int released = -1;
    for (int row = 0; row < protocols()->rowCount(); ++row) {
        if (protocols()->index(row, 1).data().toString() == provisorio)
            released = row;
    }
    ASSERT_GE(released, 0);
    list->selectRow(released);
    sim.requests();
    messages.log.clear();
    child<TPersonBtn>(*form, "PBProtocolosProcessamento")->click();
    EXPECT_EQ(messages.log,
              QStringList{QString(refusal).replace(QStringLiteral("(Enviando)"), QStringLiteral("(Liberado)"))});
    EXPECT_TRUE(sim.requests().isEmpty());
}

// After a restart the status strip names the held batch at once, and its button opens the
// protocol tab on it.
TEST_F(WindowHolding, TheStripNamesHeldBatchesAfterARestartAndOpensThem)
{
    fixture.exec(QStringLiteral("update TavroProtocolos set Data = substring(cast(dateadd(-1 hour to "
                                "current_timestamp) as varchar(30)) from 1 for 19)"));
    form.reset();
    RecordingMessages restarted;
    form = std::make_unique<TForm1>(onlyFile(configPath), restarted);
    ASSERT_TRUE(form->FormCreate());
    form->show();
    form->FormShow();
    QCoreApplication::processEvents();
    EXPECT_EQ(heldButtonText(), QStringLiteral("2 registros retidos em 1 lote sem resposta: ver Protocolos"));
    EXPECT_TRUE(child<QTextEdit>(*form, "REErros")
                    ->toPlainText()
                    .contains(QStringLiteral("Lote %1 sem resposta do serviço").arg(provisorio)));
    logIn("farmacia", "tavro2019");
    tabs = child<QTabWidget>(*form, "PageControl1");
    tabs->setCurrentWidget(child<QWidget>(*form, "TSEstoque"));
    QTest::mouseClick(child<QPushButton>(*form, "BtnRetidos"), Qt::LeftButton);
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("TSProtocolos"));
    const QModelIndexList selected = child<QTableView>(*form, "LVProtocolos")->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().siblingAtColumn(1).data().toString(), provisorio);
    EXPECT_TRUE(restarted.log.isEmpty()) << restarted.log.join('\n').toStdString();
}

// "Enviar tudo o que falta" reads what `sincronizar` reads: the hours after which a batch
// without answer is released (and says what that risks), and the window's batch size; its
// summary counts what stays held.
TEST_F(WindowTransmitting, EnviarTudoReadsTheConfigurationAndCountsWhatStaysHeld)
{
    IniFile(configPath)
        .setValue(QStringLiteral("TAVRO"), QStringLiteral("LiberarSemRespostaHoras"), QStringLiteral("6"));
    for (const auto &[protocolo, hours, lancamento] :
         {std::tuple{"ENV901-aaaaaa", 7, 5001}, std::tuple{"ENV902-bbbbbb", 5, 5002}}) {
        fixture.exec(QStringLiteral("insert into TavroProtocolos (Protocolo, Data, DataLancamento, Situacao, "
                                    "SituacaoPrioridade, Tipo, cnes) values ('%1', substring(cast(dateadd(-%2 hour to "
                                    "current_timestamp) as varchar(30)) from 1 for 19), current_date, 'Sem resposta', "
                                    "100, 'Estoque', '2345678')")
                         .arg(QLatin1String(protocolo))
                         .arg(hours));
        fixture.exec(QStringLiteral("update conciliacao set TavroProtocolo = '%1', TavroSituacao = 'Enviando', "
                                    "TavroSituacaoPrioridade = 100 where lancamento = %2")
                         .arg(QLatin1String(protocolo))
                         .arg(lancamento));
    }
    child<QSpinBox>(*form, "SEQuantidadeRegistros")->setValue(2);
    tabs->setCurrentWidget(child<QWidget>(*form, "TSSituacao"));
    child<QPushButton>(*form, "BtnSituacaoEnviarTudo")->click();

    const QString summary = child<QPlainTextEdit>(*form, "MSituacaoResumo")->toPlainText();
    EXPECT_TRUE(summary.contains(QStringLiteral("Liberado para reenvio (sem resposta há mais de 6 horas): lote "
                                                "ENV901-aaaaaa")))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("O lote ENV901-aaaaaa pode já estar no serviço")))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("Registros retidos: 1 registro retido em 1 lote sem resposta")))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("Lote ENV902-bbbbbb (Estoque), Sem resposta")))
        << summary.toStdString();
    EXPECT_EQ(child<QLabel>(*form, "LConta")->text(),
              QStringLiteral("Enviar tudo o que falta: concluída, 1 registro retido em 1 lote sem resposta"));
    EXPECT_EQ(fixture.scalar(QStringLiteral("select TavroSituacao from conciliacao where lancamento = 5002")),
              QStringLiteral("Enviando"));
    // Every batch of the service holds at most the window's two records.
    for (const char *table : {"conciliacao", "itensentradas", "itenssaidas"}) {
        EXPECT_EQ(fixture.scalar(QStringLiteral("select count(*) from (select TavroProtocolo from %1 where "
                                                "TavroProtocolo not starting with 'ENV' group by TavroProtocolo "
                                                "having count(*) > 2)")
                                     .arg(QLatin1String(table))),
                  QStringLiteral("0"))
            << table;
    }
    EXPECT_NE(fixture.scalar(QStringLiteral("select count(*) from TavroProtocolos where Tipo = 'Entrada'")),
              QStringLiteral("0"));
    keepShot(*form, "enviar-tudo-retidos");
}

// F1 opens the guide at the page of the tab in use, and the page shown starts with that tab's
// heading; while the tabs are locked it opens at the login, and "Ajuda" does what F1 does.
TEST_F(Window, F1OpensTheGuideAtThePageOfTheTabInUse)
{
    const auto shown = [&]() -> std::pair<QString, QString> {
        auto *guide = form->findChild<QWidget *>(QStringLiteral("Ajuda"));
        if (!guide || !guide->isVisible())
            return {};
        auto *browser = child<QTextBrowser>(*guide, "TBAjuda");
        QCoreApplication::processEvents();
        // The first line in view: the section the clerk reads.
        return {browser->source().fileName(), browser->cursorForPosition(QPoint(4, 4)).block().text()};
    };
    activate(form.get());
    QTest::keyClick(form.get(), Qt::Key_F1);
    EXPECT_EQ(shown(), std::pair(QStringLiteral("inicio.html"), QStringLiteral("Entrar e escolher a unidade")));

    logIn("farmacia", "tavro2019");
    auto *tabs = child<QTabWidget>(*form, "PageControl1");
    const std::tuple<const char *, const char *, const char *> cases[] = {
        {"TSEstoque", "estoque.html", "Aba Estoque: a posição do dia"},
        {"TSEntradas", "entradas.html", "Aba Entradas: o que a farmácia recebeu"},
        {"TSSaidas", "saidas.html", "Aba Saídas: o que saiu para outros estabelecimentos"},
        {"TSDispensacoes", "dispensacoes.html", "Aba Dispensações: o que foi entregue aos pacientes"},
        {"TSErros", "erros.html", "Aba Erros: o que não foi e por quê"},
        {"TabSheet7", "retornos.html", "Aba Retornos: o que o serviço respondeu"},
        {"TSProtocolos", "protocolos.html", "Aba Protocolos: acompanhar o que foi enviado"},
        {"TSSituacao", "situacao.html", "Aba Situação: o mês de relance"},
    };
    for (const auto &[tab, page, heading] : cases) {
        tabs->setCurrentWidget(child<QWidget>(*form, tab));
        activate(form.get());
        QTest::keyClick(form.get(), Qt::Key_F1);
        EXPECT_EQ(shown(), std::pair(QString::fromUtf8(page), QString::fromUtf8(heading))) << tab;
    }

    // A link of the page leads to another page of the guide, and "Voltar" comes back.
    auto *guide = child<QWidget>(*form, "Ajuda");
    auto *browser = child<QTextBrowser>(*guide, "TBAjuda");
    browser->setSource(QUrl(QStringLiteral("glossario.html")));
    EXPECT_EQ(browser->source().fileName(), QStringLiteral("glossario.html"));
    QTest::mouseClick(child<QPushButton>(*guide, "BVoltar"), Qt::LeftButton);
    EXPECT_EQ(shown().first, QStringLiteral("situacao.html"));

    guide->hide();
    tabs->setCurrentWidget(child<QWidget>(*form, "TSErros"));
    QTest::mouseClick(child<QPushButton>(*form, "BAjuda"), Qt::LeftButton);
    EXPECT_EQ(shown(), std::pair(QStringLiteral("erros.html"), QStringLiteral("Aba Erros: o que não foi e por quê")));
    keepShot(*guide, "ajuda-erros");
}

TEST_F(Window, PendenciasShowsTheGroupsOpensTheirRowsAndPrintsAndExportsThem)
{
    // The printed list and the spreadsheet go to the documents folder: the test's own.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(fixture.folder()));
    const auto restore = qScopeGuard([&] { qputenv("HOME", home); });
    logIn("FARMACIA", "tavro2019");
    auto *tabs = child<QTabWidget>(*form, "PageControl1");
    tabs->setCurrentWidget(child<QWidget>(*form, "TSSituacao"));
    // "Parar" on the strip at the first progress: the lists examined so far, said to be incomplete.
    auto *parar = child<QPushButton>(*form, "BtnParar");
    QString progress;
    QTimer::singleShot(0, [&] {
        progress = child<QLabel>(*form, "LProgresso")->text();
        QTest::mouseClick(parar, Qt::LeftButton);
    });
    child<QPushButton>(*form, "BtnPendencias")->click(); // the timer's first chance is the work's progress
    auto *view = child<QDialog>(*form, "FPendencias");
    ASSERT_TRUE(view->isVisible());
    EXPECT_TRUE(progress.startsWith(QStringLiteral("Lista 1 de 8: "))) << progress.toStdString();
    EXPECT_TRUE(child<QLabel>(*view, "LPendenciasResumo")
                    ->text()
                    .endsWith(QStringLiteral("(interrompido pelo usuário: a lista está incompleta)")));
    view->close();
    QTest::mouseClick(child<QPushButton>(*form, "BtnPendencias"), Qt::LeftButton);
    ASSERT_TRUE(view->isVisible());
    EXPECT_EQ(child<QLabel>(*view, "LPendenciasResumo")->text(),
              QStringLiteral("13 registros pendentes em 4 grupos, 4 avisos"));

    // Counts first: each group closed, with its count.
    auto *tree = child<QTreeWidget>(*view, "LVPendencias");
    QStringList groups;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        EXPECT_FALSE(tree->topLevelItem(i)->isExpanded());
        groups.append(tree->topLevelItem(i)->text(0) + QLatin1Char('=') + tree->topLevelItem(i)->text(1));
    }
    EXPECT_EQ(groups,
              (QStringList{"Pessoa sem CNS=1", "Produto sem código=10", "Lote sem fabricante=6",
                           "Entrada sem distribuidor=1", "CNS inválido (dígito verificador) (aviso)=4"}));
    tree->topLevelItem(1)->setExpanded(true);
    tree->topLevelItem(1)->child(0)->setExpanded(true);
    tree->topLevelItem(2)->setExpanded(true);
    tree->topLevelItem(2)->child(0)->setExpanded(true);
    view->resize(1100, 520);
    QCoreApplication::processEvents();
    keepShot(*view, "pendencias");

    // A double-click on a row opens it in its tab, its month (or stock day) searched.
    const auto open = [&](QTreeWidgetItem *row) {
        tree->scrollToItem(row);
        QCoreApplication::processEvents();
        const QPoint at = tree->visualItemRect(row).center();
        // The first click of a double-click is a click of its own.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    };
    QTreeWidgetItem *stockRow = tree->topLevelItem(1)->child(0)->child(1); // ALGODÃO on 30/01/2019
    ASSERT_EQ(stockRow->text(0), QStringLiteral("5020"));
    open(stockRow);
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("TSEstoque"));
    EXPECT_EQ(child<QComboBox>(*form, "CBEstoqueDia")->currentText(), QStringLiteral("30/01/2019"));
    auto *stock = child<QTableView>(*form, "LVEstoque");
    EXPECT_EQ(stock->currentIndex().siblingAtColumn(0).data().toString(), QStringLiteral("5020"));
    QTreeWidgetItem *issueRow = tree->topLevelItem(2)->child(0)->child(1); // METFORMINA's issue
    ASSERT_EQ(issueRow->text(0), QStringLiteral("2003-2"));
    open(issueRow);
    EXPECT_EQ(tabs->currentWidget()->objectName(), QStringLiteral("TSSaidas"));
    EXPECT_EQ(child<QTableView>(*form, "LVSaidas")->currentIndex().siblingAtColumn(0).data().toString(),
              QStringLiteral("2003-2"));

    // "Imprimir": the listing's layout, in the documents folder; "Exportar": the spreadsheet beside it.
    messages.log.clear();
    QTest::mouseClick(child<QPushButton>(*view, "BtnPendenciasImprimir"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(*view, "BtnPendenciasExportar"), Qt::LeftButton);
    const QString pdf
        = QDir(fixture.folder())
              .filePath(QStringLiteral("Pendencias_2345678_%1.pdf").arg(QDate::currentDate().toString(Qt::ISODate)));
    const QString csv = QString(pdf).replace(QStringLiteral(".pdf"), QStringLiteral(".csv"));
    EXPECT_EQ(messages.log, (QStringList{"info: Lista impressa em " + pdf, "info: Lista exportada para " + csv}));
    if (const QString shots = qEnvironmentVariable("TAVRO_SHOTS"); !shots.isEmpty())
        QFile::copy(pdf, shots + QStringLiteral("/pendencias.pdf")); // for a person to look at
    const QStringList pages = tavro::test::pdfPages(pdf);
    ASSERT_FALSE(pages.isEmpty());
    for (const char *text : {"PENDÊNCIAS DE CADASTRO", "CNES: 2345678", "Lote sem fabricante: 6 registros",
                             "Totais: 13 registros pendentes, 4 registros em aviso", "Impresso em "})
        EXPECT_TRUE(pages.join(QLatin1Char('\f')).contains(QString::fromUtf8(text))) << text;
    EXPECT_TRUE(pages.last().contains(QStringLiteral("Página %1 de %1").arg(pages.size())));
    QFile spreadsheet(csv);
    ASSERT_TRUE(spreadsheet.open(QIODevice::ReadOnly));
    EXPECT_TRUE(spreadsheet.readAll().startsWith("\xEF\xBB\xBFGrupo;Aviso;Assunto;"));
}
