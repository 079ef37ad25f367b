#include "app/TForm1.h"

#include "app/DataFolderStart.h"
#include "app/EnterKey.h"
#include "app/ErrorLines.h"
#include "app/LastSyncButton.h"
#include "app/Messages.h"
#include "app/MovementTab.h"
#include "app/ProgressStrip.h"
#include "app/ProtocolTab.h"
#include "app/SendAllPending.h"
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
#include "session/DatabaseAccount.h"
#include "session/HealthUnit.h"
#include "session/IniFile.h"
#include "sync/SyncSummary.h"
#include "transmission/HeldBatches.h"
#include "transmission/LogRetention.h"
#include "transmission/ProtocolRecovery.h"
#include "transmission/ProtocolSummary.h"
#include "transmission/SendOperation.h"
#include "transmission/TransmissionKind.h"
#include "transmission/TransmissionKinds.h"
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

bool TForm1::FormCreate()
{
    LAguarde->clear();
    if (!startDataFolder(m_places.data, m_messages, this,
                         [this](const QString &line) { m_errorLines->appendNote(line); }))
        return false;
    m_lastSync->load(lastSummaryPath(m_places.data.path));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(qMin(1280, area.width()), qMin(760, area.height()));
        move(area.center() - rect().center());
    }

    const StartupConfig config = readStartupConfig(ArquivoConfig);
    try {
        IBDatabase1.open(config.database, readDatabaseLogin(ArquivoConfig));
        IBDatabase1.startTransaction();
    } catch (const Error &error) {
        m_messages.error(this, QString(), databaseNotFoundText(config.database, m_places));
        if (!config.database.isEmpty()) // the first box already says the key is empty
            m_messages.standardError(this, error.message());
        return false;
    }

    HTTPRIO2 = programSoapClient(m_transport, ArquivoConfig, m_places.logFolder(), m_login,
                                 [this](const QString &line) { m_errorLines->appendNote(line); });
    HTTPRIO2->setInputDuringWait([this] { return m_progress->takesStop(); });
    TSProtocolos->setServices(
        {&IBDatabase1, HTTPRIO2.get(), &m_messages, [this] { CarregaProtocolos(); }, m_progress, unansweredAfter()});
    PECodIBGE->setText(config.ibge);
    PECodCNES->setText(config.cnesFarmacia);
    DataInicialConfig = config.period.dataInicial;
    DataFinalConfig = config.period.dataFinal;

    // Batches of this database still on their way: finished from their answer logs, or shown
    // without answer.
    resolveHeld();
    guarded(m_messages, this, [&] {
        for (const QString &line : removeOldLogs(IBDatabase1, m_places.logFolder(), logRetentionDays(ArquivoConfig)))
            m_errorLines->append(line);
    });
    guarded(m_messages, this, [&] {
        const HealthUnit unit = findUnitAtStartup(IBDatabase1, PECodCNES->text());
        PECodigoUnidade->setText(unit.codigo);
        LNomeUnidade->setText(unit.nome);
    });
    showSession();
    loadProtocolList();
    m_heldTimer->start();
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
        const QStringList days = stockDays(IBDatabase1, PECodCNES->text());
        const QSignalBlocker blocker(CBEstoqueDia);
        CBEstoqueDia->clear();
        CBEstoqueDia->addItems(days);
        CBEstoqueDia->setCurrentIndex(days.isEmpty() ? -1 : 0);
    });
    showStockHint();
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
    resolveHeld(); // the lists show each held batch as it stands now
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
        loadProtocolList();
        LAguarde->clear();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
}

void TForm1::BuscaConciliacoes()
{
    const QString remembered = CBEstoqueDia->currentText();
    const QStringList days = stockDays(IBDatabase1, PECodCNES->text());
    const QSignalBlocker blocker(CBEstoqueDia);
    CBEstoqueDia->clear();
    CBEstoqueDia->addItems(days);
    CBEstoqueDia->setCurrentIndex(days.indexOf(remembered));
    showStockHint();
}

void TForm1::showStockHint()
{
    // Until a day is listed, an empty list would read as a unit without stock. A day chosen by
    // the program is listed when the focus enters the list.
    const QString day = CBEstoqueDia->currentText();
    TSEstoque->setEmptyListText(
        day.isEmpty() ? EscolhaODiaHint
                      : QStringLiteral("Clique na lista para listar as posições de %1, ou escolha outro dia em "
                                       "'Estoque do dia'.")
                            .arg(day));
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
        search.period = {PEDataInicial->maskedText(), PEDataFinal->maskedText()};
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
        const QString pdf = previewDispensationListing(this, IBDatabase1, *m_dispensationSearch);
        if (!pdf.isEmpty())
            m_statusStrip->setNote(QStringLiteral("Relação de Dispensações gravada em %1").arg(pdf));
    });
}

namespace {

// A click's send as the window follows it: the status strip's progress and "Parar", and
// after each run its new lines in the error tab and the accepted batch in the return tab.
class ClickObserver : public SendObserver
{
public:
    ClickObserver(ProgressObserver &progress, std::function<void(const SendRun &)> runEnded)
        : m_progress(progress)
        , m_runEnded(std::move(runEnded))
    {
    }
    void progressed(const Progress &progress) override { m_progress.progressed(progress); }
    bool stopRequested() override { return m_progress.stopRequested(); }
    void runEnded(const SendRun &run) override { m_runEnded(run); }

private:
    ProgressObserver &m_progress;
    std::function<void(const SendRun &)> m_runEnded;
};

} // namespace

void TForm1::transmitClick(TPersonBtn *button, QSpinBox *vezes, MovementTab &tab, TransmitKind kind)
{
    SendRequest request;
    request.kind = kind;
    request.input.cnes = PECodCNES->text();
    request.input.ibge = PECodIBGE->text();
    const QString missing = missingUnitCode(request.input);
    if (missing == InformeCnesMessage) {
        m_messages.warning(this, missing);
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
    if (!missing.isEmpty()) {
        m_messages.warning(this, missing);
        PECodIBGE->setFocus();
        return;
    }
    if (!retransmissionConfirmed(tab, kind))
        return;
    m_errorLines->clear();
    const TPersonBtn::Busy busy(*button);
    request.input.dia = CBEstoqueDia->currentText();
    request.input.protocolo = tab.protocolo();
    request.input.loteMaximo = SEQuantidadeRegistros->value();
    request.vezes = vezes->value();
    m_progress->begin(true);
    const auto ended = qScopeGuard([this] { m_progress->end(); });
    ClickObserver observer(*m_progress, [&](const SendRun &run) {
        for (const TransmissionAccount::Line &line : run.novas)
            m_errorLines->append(line.text, &tab, line.caption,
                                 line.nota ? ErrorLines::Kind::Aviso : ErrorLines::Kind::Erro);
        if (run.report.retornos) {
            Memo2->clear();
            for (const QString &line : *run.report.retornos)
                Memo2->appendPlainText(line);
        }
        if (run.report.unitTypeMissing)
            m_messages.information(this, UnitTypeMissingMessage);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    const SendOutcome outcome = transmit(IBDatabase1, *HTTPRIO2, tab.list(), request, observer);
    m_progress->end(); // the window takes input again before the send's message
    m_statusStrip->setAccount(outcome.accountText());
    if (outcome.endWarns())
        m_messages.warning(this, outcome.endText());
    else if (outcome.end == SendOutcome::End::AllSent || outcome.end == SendOutcome::End::StoppedByUser)
        m_messages.information(this, outcome.endText());
    else if (outcome.end == SendOutcome::End::Aborted)
        m_messages.error(this, TransmissaoAbortadaCaption, outcome.endText());
    CarregaProtocolos(); // the strip and the protocol list show what the send left held
}

bool TForm1::retransmissionConfirmed(MovementTab &tab, TransmitKind kind)
{
    const QString protocolo = tab.protocolo();
    if (protocolo.isEmpty())
        return true;
    bool confirmed = false;
    guarded(m_messages, this, [&] {
        const std::unique_ptr<TransmissionKind> transmitter = kindEntry(kind).make();
        TransmissionAccount toSend; // the rows a run would take: the protocol's, passing their checks
        toSend.countRows(*transmitter, tab.list(), protocolo);
        confirmed = m_messages.question(this,
                                        summarizeProtocol(IBDatabase1, protocolo)
                                            .retransmissionQuestion(toSend.restam(), transmitter->rectifies()));
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
        resolveHeld(); // the list shows each held batch as it stands now
        showWait(QStringLiteral("Aguarde, pesquisando [ESTOQUE]..."));
        m_progress->begin(false);
        const auto ended = qScopeGuard([this] { m_progress->end(); });
        try {
            const QStringList protocols = fillMovementList(IBDatabase1, tabSearch(*TSEstoque), TSEstoque->list(),
                                                           m_progress);
            TSEstoque->setProtocols(summarizeProtocols(IBDatabase1, protocols));
            TSEstoque->setEmptyListText(QString());
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
        const QDate latest = TSSituacao->followsLatestRecord() ? latestRecordDay(IBDatabase1, overviewSearch({}))
                                                               : QDate();
        TSSituacao->showFigures(
            loadOverview(IBDatabase1, overviewSearch(TSSituacao->period(QDate::currentDate(), latest))));
        LAguarde->clear();
    });
}

OverviewSearch TForm1::overviewSearch(const OverviewPeriod &period) const
{
    return {PECodigoUnidade->text(), PECodCNES->text(), CBExibirSemCodigo->isChecked(), period};
}

MovementTab *TForm1::movementTab(MovementKind kind) const
{
    return kind == MovementKind::Estoque ? TSEstoque
        : kind == MovementKind::Entradas ? TSEntradas
        : kind == MovementKind::Saidas   ? TSSaidas
                                         : TSDispensacoes;
}

void TForm1::SituacaoClick(const OverviewChoice &choice)
{
    guarded(m_messages, this, [&] {
        MovementTab *tab = movementTab(choice.kind);
        tab->setStatusBoxes(statusBoxesFor(choice.situacao));
        tab->setProtocoloSelecionado(false);
        PEDataInicial->setText(dateToText(choice.month));
        PEDataFinal->setText(dateToText(choice.month.addMonths(1).addDays(-1)));
        PageControl1->setCurrentWidget(tab); // searches the period lists
        QString opened = PEDataInicial->maskedText() + QStringLiteral(" a ") + PEDataFinal->maskedText();
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
            opened = day.isValid() ? dateToText(day) : monthText(choice.month);
        }
        // The clerk is told what changed under the tab, and Enter cannot send from there.
        m_statusStrip->setNote(overviewOpened(choice, opened));
        tab->focusList();
    });
}

void TForm1::PBEnviarTudoClick()
{
    if (PECodCNES->text().isEmpty() || PECodIBGE->text().isEmpty()) {
        m_messages.warning(this, PECodCNES->text().isEmpty() ? InformeCnesMessage : InformeIbgeMessage);
        return;
    }
    guarded(m_messages, this, [&] {
        TSSituacao->BtnSituacaoEnviarTudo->setEnabled(false); // one run at a time
        const auto enabled = qScopeGuard([this] { TSSituacao->BtnSituacaoEnviarTudo->setEnabled(true); });
        // The nightly run's settings, with the window's batch size.
        SyncRequest request = configuredSyncRequest(ArquivoConfig);
        request.lote = qMax(1, SEQuantidadeRegistros->value());
        QString refusal;
        m_errorLines->clear();
        // Each refusal in Erros, as a transmit button leaves it, a double-click away from its row.
        const auto refused = [this](TransmitKind kind, const TransmissionAccount::Line &line) {
            m_errorLines->append(line.text, movementTab(kindEntry(kind).listKind().kind), line.caption,
                                 line.nota ? ErrorLines::Kind::Aviso : ErrorLines::Kind::Erro);
        };
        const std::optional<SyncSummary> summary = sendAllPending(
            IBDatabase1, *HTTPRIO2, {PECodigoUnidade->text(), PECodCNES->text(), PECodIBGE->text()}, request,
            m_login.UsuarioSessao, *m_progress, m_places.data.path, refusal, refused);
        if (!summary) {
            m_messages.information(this, refusal);
            return;
        }
        TSSituacao->showSummary(summaryText(*summary));
        m_statusStrip->setNote(QStringLiteral("Enviar tudo o que falta: ") + summaryEnd(*summary));
        m_lastSync->load(lastSummaryPath(m_places.data.path));
    });
    CarregaSituacao();
    CarregaProtocolos();
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
        FProcura->open(IBDatabase1.databaseName(), IBDatabase1.login());
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
    resolveHeld();
    loadProtocolList();
}

void TForm1::loadProtocolList()
{
    guarded(m_messages, this, [&] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const QString chosen = TSProtocolos->selectedProtocol();
        tavro::CarregaProtocolos(IBDatabase1, TSProtocolos->filter(PECodCNES->text()), m_login.UsuarioSessao,
                                 TSProtocolos->list());
        TSProtocolos->selectProtocol(chosen);
    });
}

int TForm1::unansweredAfter() const
{
    return unansweredAfterSeconds(HTTPRIO2 ? HTTPRIO2->settings().TempoLimite : 0);
}

bool TForm1::resolveHeld(bool quiet)
{
    if (m_resolving || !IBDatabase1.isOpen())
        return false;
    m_resolving = true;
    const auto resolved = qScopeGuard([this] { m_resolving = false; });
    // A line "Erros" has not shown yet; each batch without answer or failure is told once.
    const auto tellOnce = [this](const QString &key, const QString &line) {
        if (!m_heldReported.contains(key))
            m_errorLines->append(line);
        m_heldReported.insert(key);
    };
    bool changed = false;
    try {
        const RecoveryReport recovery = resolveProvisionalBatches(IBDatabase1, m_places.logFolder(), unansweredAfter());
        for (const QString &line : recovery.recovered + recovery.released)
            m_errorLines->appendNote(line);
        for (const QString &line : recovery.failures + recovery.ignoredLogs)
            tellOnce(line, line);
        for (const UnansweredBatch &batch : recovery.unanswered)
            tellOnce(batch.protocolo, unansweredLine(batch));
        changed = !recovery.recovered.isEmpty() || !recovery.released.isEmpty() || recovery.newlyUnanswered > 0;

        const HeldRecords all = heldRecords(IBDatabase1, QString());
        HeldRecords unit;
        for (const HeldBatch &batch : all.lotes) {
            if (batch.cnes == PECodCNES->text())
                unit.lotes.append(batch);
        }
        m_statusStrip->setHeld(unit.text());
        TSProtocolos->setHeld(all);
    } catch (const Error &error) {
        // The timer's look goes on every minute: a database gone away says so once, in "Erros".
        if (quiet)
            tellOnce(error.message(), error.message());
        else
            m_messages.standardError(this, error.message());
    }
    return changed;
}

bool TForm1::idle() const
{
    return !m_progress->isActive() && !TSProtocolos->busy() && LAguarde->text().isEmpty();
}

void TForm1::heldTimerTick()
{
    // Timers also fire inside the waits of a send, a check or a message box: the look waits
    // for the window to be idle, so it never rolls back work under way.
    if (!idle() || QApplication::activeModalWidget())
        return;
    if (resolveHeld(true))
        loadProtocolList();
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
