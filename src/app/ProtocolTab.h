#pragma once

#include "followup/ProtocolList.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QPlainTextEdit;
class QSpinBox;
class QTableView;

namespace tavro {

class Database;
class InconsistencyTable;
class Messages;
class ProgressStrip;
class ProtocolFollowup;
class RecordList;
class SoapClient;
class TPersonBtn;

// What the follow-up checks of the tab work with: the window's connection, SOAP client
// and message boxes, the window's reload of the protocol list, and its status strip's
// progress for the bulk verification.
struct FollowupServices
{
    Database *db = nullptr;
    SoapClient *client = nullptr;
    Messages *messages = nullptr;
    std::function<void()> reload;
    ProgressStrip *progress = nullptr;
};

// The protocol tab: filter strip, the protocol list beside the checks' text output,
// and the follow-up buttons. Its handlers read the selected row, run the checks of
// the core on the window's services and reload the list through the window.
class ProtocolTab : public QWidget
{
    Q_OBJECT

public:
    explicit ProtocolTab(QWidget *parent = nullptr);

    // The filters as the boxes stand, for the unit whose CNES is `cnes`.
    ProtocolFilter filter(const QString &cnes) const;
    void setServices(FollowupServices services) { m_services = std::move(services); }
    RecordList &list() const { return *m_list; }

    QTableView *LVProtocolos;
    QPlainTextEdit *MProtocolos;
    InconsistencyTable *TBInconsistencias;
    TPersonBtn *PBTodosProtocolos;
    QSpinBox *SEProtocolosVezes;
    TPersonBtn *PBProtocolosProcessamento;
    TPersonBtn *PBProtocolosInconsistencia;
    TPersonBtn *PBLiberarReenvio; // releases the records of a batch "Sem resposta"
    TPersonBtn *PersonBtn1;

Q_SIGNALS:
    // The operator clicked one of the filter boxes.
    void filterClicked();

private:
    void PBProtocolosProcessamentoClick();
    void PBProtocolosInconsistenciaClick();
    void PBTodosProtocolosClick();
    void PBLiberarReenvioClick();
    // The selected row, or -1 after "Selecione o protocolo!".
    int selectedRow();
    // Runs `body` with `button` disabled and the list reloaded after it, errors or not.
    void runWithButton(TPersonBtn *button, const std::function<void(ProtocolFollowup &)> &body);

    QCheckBox *addBox(QWidget *strip, const char *name, const QString &caption, bool ticked);

    RecordList *m_list;
    FollowupServices m_services;
    QCheckBox *CBProtocolosMostrarTodosCnes;
    QCheckBox *CBProtAguardando, *CBProtFinalizados, *CBProtInconsistencias, *CBProtOk, *CBProtOkRetificado;
    QCheckBox *CBProtEstoque, *CBProtEntradas, *CBProtSaidas, *CBProtDispensacoes;
};

} // namespace tavro
