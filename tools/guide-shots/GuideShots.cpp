#include "GuideShots.h"

#include "app/QtTranslations.h"
#include "app/TForm1.h"
#include "session/ConfigPlaces.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <stdexcept>

namespace tavro {

namespace {

// The demo's operator, unit and period, as ./dev run prepares them.
const QString DemoUser = QStringLiteral("FARMACIA");
const QString DemoPassword = QStringLiteral("tavro2019");
const QString DemoNamespace = QStringLiteral("http://tavro.example");

// Runs the event loop until `done` or five seconds have passed.
template <typename Done>
bool waitFor(Done done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

} // namespace

void KeptMessages::error(QWidget *, const QString &boxTitle, const QString &boxText)
{
    title = boxTitle;
    text = boxText;
    icon = QMessageBox::Critical;
}

void KeptMessages::warning(QWidget *, const QString &boxText)
{
    title.clear();
    text = boxText;
    icon = QMessageBox::Warning;
}

void KeptMessages::information(QWidget *, const QString &boxText)
{
    title.clear();
    text = boxText;
    icon = QMessageBox::Information;
}

void KeptMessages::standardError(QWidget *parent, const QString &boxText)
{
    error(parent, QString(), boxText);
}

bool KeptMessages::question(QWidget *, const QString &boxText)
{
    title.clear();
    text = boxText;
    icon = QMessageBox::Question;
    questionAsked = true;
    return answer;
}

GuideShots::GuideShots(QString demoDatabase, QString simProgram, QString outputFolder)
    : m_demo(std::move(demoDatabase))
    , m_sim(std::move(simProgram))
    , m_output(std::move(outputFolder))
{
}

GuideShots::~GuideShots()
{
    closeWindow();
}

bool GuideShots::run()
{
    installQtTranslations(*qApp);
    try {
        if (!m_work.isValid() || !QDir().mkpath(m_output))
            throw std::runtime_error("no work or output folder");
        sendingDay();
        heldBatch();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "tavro-guide-shots: %s\n", error.what());
        return false;
    }
    return true;
}

void GuideShots::openWindow(const QStringList &simOptions, int tempoLimite)
{
    // Each walk starts from the demo as ./dev run makes it.
    const QString database = m_work.filePath(QStringLiteral("demo.fdb"));
    QFile::remove(database);
    if (!QFile::copy(m_demo, database))
        throw std::runtime_error("cannot copy the demo database " + m_demo.toStdString());
    m_simProcess.setProgram(m_sim);
    m_simProcess.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--usuario"),
                                          QStringLiteral("farmacia.ws"), QStringLiteral("--senha"),
                                          QStringLiteral("segredo-ws"), QStringLiteral("--namespace"), DemoNamespace}
                              + simOptions);
    m_simProcess.start();
    while (!m_simProcess.canReadLine() && m_simProcess.waitForReadyRead(5000)) {
    }
    const QString line = QString::fromUtf8(m_simProcess.readLine()).trimmed();
    const QString prefix = QStringLiteral("listening on ");
    if (!line.startsWith(prefix))
        throw std::runtime_error("tavro-sim did not start: " + line.toStdString());

    const QString config = m_work.filePath(QStringLiteral("config.ini"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write config.ini");
    file.write(QStringLiteral("[GERAL]\nDATABASE=%1\nIBGE=3550308\nCNESFARMACIA=2345678\n\n"
                              "[TAVRO]\nDataInicial=01/01/2019\nDataFinal=31/01/2019\nServidor=http://%2\n"
                              "Namespace=%3\nTempoLimite=%4\n")
                   .arg(m_work.filePath(QStringLiteral("demo.fdb")), line.mid(prefix.size()), DemoNamespace)
                   .arg(tempoLimite)
                   .toUtf8());
    file.close();

    m_form = std::make_unique<TForm1>(ConfigPlaces{config, {}, DataFolder{m_work.path(), DataFolder::Origin::Key}},
                                      m_messages);
    if (!m_form->FormCreate())
        throw std::runtime_error("the window did not start: " + m_messages.text.toStdString());
    m_form->show();
    m_form->FormShow();
    m_form->resize(1340, 700); // the header's whole width, with the unit's name
    QApplication::setActiveWindow(m_form.get());
    child<QWidget>("EUsuario")->setProperty("text", DemoUser);
    child<QWidget>("ESenha")->setProperty("text", DemoPassword);
    m_form->BValidarClick();
    waitFor([] { return false; }); // the first drawing settles
}

void GuideShots::closeWindow()
{
    m_form.reset();
    if (m_simProcess.state() != QProcess::NotRunning) {
        m_simProcess.kill();
        m_simProcess.waitForFinished();
    }
}

// A working day: the header, the four lists, a send with its end box and its refusals, the
// follow-up, the listing and the overview.
void GuideShots::sendingDay()
{
    openWindow({}, 20);
    save(child<QWidget>("Header"), QStringLiteral("cabecalho"));

    openTab("TSEstoque");
    child<QCheckBox>("CBExibirSemCodigo")->click();
    m_form->CBEstoqueDiaChange();
    auto *tabs = child<QTabWidget>("PageControl1");
    save(tabs, QStringLiteral("estoque"));
    child<QSpinBox>("SEQuantidadeRegistros")->setValue(5);
    child<QPushButton>("PBEstoque")->click();
    saveBox(QStringLiteral("fim-do-envio"));
    save(child<QWidget>("StatusStrip"), QStringLiteral("conta-do-envio"));
    openTab("TSErros");
    save(tabs, QStringLiteral("erros"));
    openTab("TabSheet7");
    save(tabs, QStringLiteral("retornos"));
    child<QCheckBox>("CBExibirSemCodigo")->click();

    for (const char *tab : {"TSEntradas", "TSSaidas", "TSDispensacoes"}) {
        openTab(tab);
        save(tabs, QString::fromLatin1(tab).mid(2).toLower());
    }
    child<QPushButton>("PBDispensacao")->click();
    child<QPushButton>("PBSemCartaoSus")->click();
    openTab("TSEntradas");
    child<QPushButton>("PBEntradas")->click();
    openTab("TSSaidas");
    child<QPushButton>("PBSaidas")->click();

    openTab("TSProtocolos");
    save(tabs, QStringLiteral("protocolos"));
    child<QSpinBox>("SEProtocolosVezes")->setValue(2);
    child<QPushButton>("PBTodosProtocolos")->click();

    // A dispensation protocol sent again as a new batch: the service already holds its records,
    // and the follow-up reports each one as a duplicate.
    openTab("TSDispensacoes");
    auto *again = child<QComboBox>("CBProtocolosDispensacoes");
    if (again->count() < 2)
        throw std::runtime_error("no dispensation protocol to send again");
    again->setCurrentIndex(1);
    m_messages.answer = true;
    child<QPushButton>("PBDispensacao")->click();
    m_messages.answer = false;
    again->setCurrentIndex(0);
    openTab("TSProtocolos");
    child<QPushButton>("PersonBtn1")->click();
    auto *list = child<QTableView>("LVProtocolos");
    for (const char *check : {"PBProtocolosProcessamento", "PBProtocolosProcessamento", "PBProtocolosInconsistencia"}) {
        list->selectRow(0); // the newest protocol
        child<QPushButton>(check)->click();
    }
    save(tabs, QStringLiteral("inconsistencia"));

    // The choice of a protocol to send again, and the question before it goes.
    openTab("TSEntradas");
    auto *resend = child<QComboBox>("CBProtocolosEntradas");
    if (resend->count() > 1) {
        resend->setCurrentIndex(1);
        m_messages.questionAsked = false;
        child<QPushButton>("PBEntradas")->click();
        if (m_messages.questionAsked)
            saveBox(QStringLiteral("retransmitir-pergunta"));
        resend->setCurrentIndex(0);
    }

    openTab("TSDispensacoes");
    QTimer::singleShot(500, [this] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *preview = qobject_cast<QPrintPreviewDialog *>(top); preview && preview->isVisible()) {
                preview->resize(1000, 640);
                waitFor([] { return false; });
                save(preview, QStringLiteral("impressao"));
                preview->reject();
            }
        }
    });
    child<QPushButton>("PBDispImprimir")->click();

    openTab("TSSituacao");
    save(tabs, QStringLiteral("situacao"));
    child<QPushButton>("BtnSituacaoEnviarTudo")->click();
    waitFor([this] { return child<QWidget>("MSituacaoResumo")->isVisible(); });
    save(tabs, QStringLiteral("enviar-tudo"));
    save(child<QWidget>("LastSync"), QStringLiteral("ultima-sincronizacao"));
    closeWindow();
}

// A batch whose answer never came: held, then "Sem resposta", then released.
void GuideShots::heldBatch()
{
    // The first call gets no answer: the batch may have reached the service.
    openWindow({QStringLiteral("--silencio"), QStringLiteral("--falhas"), QStringLiteral("1")}, 1);
    openTab("TSEntradas");
    child<QSpinBox>("SEQuantidadeRegistros")->setValue(2);
    child<QSpinBox>("SEEntradasVezes")->setValue(1);
    child<QPushButton>("PBEntradas")->click();

    // Past its answer window, as if sent an hour ago: the window's timer shows it "Sem resposta".
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), QStringLiteral("guide-shots"));
        db.setDatabaseName(m_work.filePath(QStringLiteral("demo.fdb")));
        db.setUserName(QStringLiteral("sysdba"));
        db.setPassword(QStringLiteral("plumtrove"));
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        db.transaction();
        QSqlQuery query(db);
        if (!query.exec(
                QStringLiteral("update TavroProtocolos set Data = substring(cast(dateadd(-1 hour to "
                               "current_timestamp) as varchar(30)) from 1 for 19) where Situacao = 'Enviando'")))
            throw std::runtime_error(query.lastError().text().toStdString());
        db.commit();
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("guide-shots"));
    auto *timer = m_form->findChild<QTimer *>(QStringLiteral("TimerRetidos"));
    timer->setInterval(20);
    openTab("TSProtocolos");
    auto *list = child<QTableView>("LVProtocolos");
    if (!waitFor([list] { return list->model()->index(0, 4).data().toString() == QStringLiteral("Sem resposta"); }))
        throw std::runtime_error("the held batch did not turn \"Sem resposta\"");
    timer->setInterval(60 * 1000);
    list->clearSelection(); // the row in its own colour
    // The top of the list, where held batches stand.
    save(list, QStringLiteral("sem-resposta"), QRect(0, 0, list->width(), 110));
    list->selectRow(0);
    save(child<QWidget>("BtnRetidos"), QStringLiteral("retidos"));
    m_messages.answer = false;
    child<QPushButton>("PBLiberarReenvio")->click();
    saveBox(QStringLiteral("liberar-pergunta"));
    closeWindow();
}

void GuideShots::save(QWidget *widget, const QString &name, QRect area)
{
    waitFor([] { return false; }); // what the last step changed is drawn
    QApplication::processEvents();
    // 256 colours are enough for the window's flat surfaces and keep each file small.
    const QImage image = widget->grab(area.isNull() ? QRect(QPoint(0, 0), QSize(-1, -1)) : area)
                             .toImage()
                             .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    const QString path = m_output + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!image.save(path))
        throw std::runtime_error("cannot write " + path.toStdString());
    std::printf("%s\n", qPrintable(path));
}

void GuideShots::saveBox(const QString &name)
{
    if (m_messages.text.isEmpty())
        throw std::runtime_error("no box for " + name.toStdString());
    QMessageBox box(QMessageBox::Icon(m_messages.icon), m_messages.title, m_messages.text,
                    m_messages.icon == QMessageBox::Question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    m_form.get());
    box.show();
    save(&box, name);
    box.hide();
    m_messages.text.clear();
}

template <typename W>
W *GuideShots::child(const char *name)
{
    W *widget = m_form->findChild<W *>(QString::fromLatin1(name));
    if (!widget)
        throw std::runtime_error(std::string("no control ") + name);
    return widget;
}

void GuideShots::openTab(const char *name)
{
    child<QTabWidget>("PageControl1")->setCurrentWidget(child<QWidget>(name));
    QApplication::processEvents();
}

} // namespace tavro
