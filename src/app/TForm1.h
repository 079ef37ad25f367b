#pragma once

#include "db/Database.h"
#include "lists/MovementLists.h"
#include "lists/OverviewStatements.h"
#include "reports/DispensationListing.h"
#include "service/HttpTransport.h"
#include "session/ConfigPlaces.h"
#include "session/IniFile.h"
#include "session/Login.h"

#include <QMainWindow>
#include <QSet>

#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTextEdit;
class QTimer;
class QToolButton;

namespace tavro {

// The stock tab's empty list while no day is chosen.
inline const QString EscolhaODiaHint = QStringLiteral("Escolha o dia em 'Estoque do dia' para listar as posições.");

class HelpWindow;
class LastSyncButton;
class ErrorLines;
class Messages;
class SoapClient;
class StatusStrip;
class MovementTab;
class PendenciasView;
class ProgressStrip;
struct PendenciaRow;
class ProtocolTab;
class SituacaoTab;
struct OverviewChoice;
class TFProcura;
class TransmissionKind;
enum class TransmitKind;
class TPersonBtn;
class TPersonEdit;

// The main window: header for login, unit and period, the seven tabs and the status
// strip. Handlers read the controls, call the core and write the results back.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    // `places`: the config.ini files read and written and the data folder, shown in the status strip.
    TForm1(ConfigPlaces places, Messages &messages, QWidget *parent = nullptr);
    ~TForm1() override;

    // Window creation: reads config.ini, opens the database, finds the unit. False
    // when the database cannot be opened (both messages shown); the program then ends.
    bool FormCreate();
    // The window's first showing: locks the tabs and fills the period and stock day.
    void FormShow();
    // Whether no work runs: no send, check or search, no follow-up under way.
    bool idle() const;

    void BValidarClick();
    // Resolves the held batches, then reloads the protocol list.
    void CarregaProtocolos();
    void BtnPesquisarClick();
    void BuscaConciliacoes();
    // The period searches; errors reach the standard error box.
    void BuscaEntradas();
    void BuscaSaidas();
    void BuscaDispensacoes();
    void CBEstoqueDiaChange();
    void PECodigoUnidadeExit();
    void SPProfissionalClick();
    void PBDispImprimirClick();
    // The overview tab: its figures for the unit and period, and the list a click on one opens.
    void CarregaSituacao();
    void SituacaoClick(const OverviewChoice &choice);
    // "Enviar tudo o que falta": the nightly run for the unit of the header, from the window.
    void PBEnviarTudoClick();
    // "Ajuda" and F1: the guide in its own window, at the page of the tab in use (at the login's
    // while the tabs are locked).
    void BAjudaClick();
    // "Pendências de cadastro": the registration list of the unit of the header, in its window.
    void PendenciasClick();

    const LoginValues &loginValues() const { return m_login; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildHeader();
    MovementTab *buildMovementTab(MovementKind kind, const char *prefix, const char *name);
    MovementTab *movementTab(MovementKind kind) const;
    void showStockHint();
    void setTabOrder();
    // The search of the active tab; `leftField` is the period field whose leaving runs it.
    void searchActiveTab(const TPersonEdit *leftField);
    void periodFieldExit(const TPersonEdit *field);
    void searchPeriod(MovementTab &tab, const TPersonEdit *leftField = nullptr);
    // A search that could not run or load: the wait text goes and the list empties.
    void searchFailed(MovementTab &tab);
    // A tab's search as the header and the tab's boxes stand: the stock list by CNES and
    // day, the others by unit code and period.
    ListSearch tabSearch(const MovementTab &tab) const;
    OverviewSearch overviewSearch(const OverviewPeriod &period) const;
    // Shows an "Aguarde, ..." text in LAguarde and lets it be drawn before the work.
    void showWait(const QString &text);
    void focusChanged(QWidget *old, QWidget *now);
    // A transmit button's click: checks CNES and IBGE, then repeats runs of the kind.
    void transmitClick(TPersonBtn *button, QSpinBox *vezes, MovementTab &tab, TransmitKind kind);
    // A click with a protocol chosen to resend: its number, date, kind and records, and
    // the operator's yes. True also when no protocol is chosen.
    bool retransmissionConfirmed(MovementTab &tab, TransmitKind kind);
    // A double-click on an "Erros" line: the refused row in its tab.
    void openRefusedRow(MovementTab *tab, const QString &caption);
    // The registration list's row in its movement tab, its month (and stock day) searched.
    void openPendenciaRow(const PendenciaRow &row);
    // The registration list as a PDF and as a CSV in the documents folder; a box says where.
    void printPendencias();
    void exportPendencias();
    // Operator, unit and service host in the status strip.
    void showSession();
    // Resolves this database's held batches from their answer logs (a batch past its answer
    // window turns "Sem resposta"), tells "Erros" what it has not told yet, and shows the unit's
    // held batches in the status strip and the protocol list's tooltips. True when a batch
    // changed its state. An error shows its box, or (`quiet`) one line in "Erros".
    bool resolveHeld(bool quiet = false);
    // The protocol list as the tab's filters stand, the selected protocol kept.
    void loadProtocolList();
    // The timer's look at the held batches, only while the window waits for the clerk.
    void heldTimerTick();
    int unansweredAfter() const;
    TPersonBtn *addTransmitButton(MovementTab &tab, const char *name, TransmitKind kind);
    QSpinBox *addRepeatCount(MovementTab &tab, const char *name);

    Messages &m_messages;
    ConfigPlaces m_places;
    IniFile ArquivoConfig;
    Database IBDatabase1;
    LoginValues m_login;
    HttpTransport m_transport; // its open connections serve every call of the window
    std::unique_ptr<SoapClient> HTTPRIO2;
    QString DataInicialConfig;
    QString DataFinalConfig;

    QLineEdit *EUsuario;
    QLineEdit *ESenha;
    QPushButton *BValidar;
    TPersonEdit *PECodigoUnidade;
    QToolButton *SPProfissional;
    TPersonEdit *PECodCNES;
    TPersonEdit *PECodIBGE;
    QLabel *LNomeUnidade;
    TPersonEdit *PEDataInicial;
    TPersonEdit *PEDataFinal;
    QPushButton *BtnPesquisar;
    QCheckBox *CBExibirSemCodigo;
    QSpinBox *SEQuantidadeRegistros;
    QPushButton *BAjuda;
    HelpWindow *m_help = nullptr;

    QTabWidget *PageControl1;
    MovementTab *TSEstoque;
    QComboBox *CBEstoqueDia;
    MovementTab *TSEntradas;
    MovementTab *TSSaidas;
    MovementTab *TSDispensacoes;
    QWidget *TSErros;
    QTextEdit *REErros;
    ErrorLines *m_errorLines;
    QWidget *TabSheet7;
    QPlainTextEdit *Memo2;
    TPersonBtn *PBDispImprimir;
    TPersonBtn *PBEstoque, *PBEntradas, *PBSaidas, *PBDispensacao, *PBSemCartaoSus;
    QSpinBox *SEEstoqueVezes, *SEEntradasVezes, *SESaidasVezes, *SEDispensacoesVezes;
    ProtocolTab *TSProtocolos;
    SituacaoTab *TSSituacao;

    QLabel *LAguarde;
    QLabel *LArquivos;
    ProgressStrip *m_progress;
    LastSyncButton *m_lastSync;
    PendenciasView *m_pendencias = nullptr; // made at the first use
    QPlainTextEdit *Memo1;
    StatusStrip *m_statusStrip;

    // The dispensation tab's last search, which "Imprimir" prints; none before the
    // first search and after a failed one.
    std::optional<DispensationReportInput> m_dispensationSearch;

    TFProcura *FProcura;
    QString UltimoCnes;

    // Resolves the held batches once a minute while the window is idle, so "Sem resposta"
    // shows when due without a new send.
    QTimer *m_heldTimer;
    QSet<QString> m_heldReported; // batches and failures "Erros" was told of
    bool m_resolving = false;
};

} // namespace tavro
