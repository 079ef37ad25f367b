#pragma once

#include "followup/ProtocolList.h"
#include "followup/SingleCheck.h"
#include "transmission/HeldBatches.h"

#include <QHash>
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
    std::function<void()> reload; // resolves the held batches, then reloads the list
    ProgressStrip *progress = nullptr;
    int unansweredAfter = 0; // seconds after which a batch "Enviando" may be released
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
    // The held batches the list shows first: each row's tooltip says what it is and what to do.
    void setHeld(const HeldRecords &held);
    // The protocol of the selected row; empty when none is selected.
    QString selectedProtocol() const;
    // Selects the row of `protocolo` when the list holds it.
    void selectProtocol(const QString &protocolo);
    // Selects the held batches' rows and shows the first, as the status strip's link opens them.
    void selectHeld();
    // Whether one of the tab's checks or releases is under way.
    bool busy() const { return m_busy; }

    QTableView *LVProtocolos;
    QPlainTextEdit *MProtocolos;
    InconsistencyTable *TBInconsistencias;
    TPersonBtn *PBTodosProtocolos;
    QSpinBox *SEProtocolosVezes;
    TPersonBtn *PBProtocolosProcessamento;
    TPersonBtn *PBProtocolosInconsistencia;
    TPersonBtn *PBLiberarReenvio; // releases the records of a batch "Sem resposta", or says when it may
    TPersonBtn *PersonBtn1;

Q_SIGNALS:
    // The operator clicked one of the filter boxes.
    void filterClicked();

private:
    // "Processamento" and "Inconsistencia": the check of the selected row, or the box that says why not.
    void singleCheckClick(TPersonBtn *button, SingleCheck check);
    void PBTodosProtocolosClick();
    void PBLiberarReenvioClick();
    // The selected row; -1 when none is.
    int selectedRow() const;
    // Runs `body` with `button` disabled and the list reloaded after it, errors or not.
    void runWithButton(TPersonBtn *button, const std::function<void(ProtocolFollowup &)> &body);

    QCheckBox *addBox(QWidget *strip, const char *name, const QString &caption, bool ticked);

    // "Liberar para reenvio" of a batch "Sem resposta", after the clerk has read what it risks.
    void releaseConfirmed(const HeldBatch &batch);

    RecordList *m_list;
    FollowupServices m_services;
    QHash<QString, QString> m_heldTips; // advice by provisional protocol
    bool m_busy = false;
    QCheckBox *CBProtocolosMostrarTodosCnes;
    QCheckBox *CBProtAguardando, *CBProtFinalizados, *CBProtInconsistencias, *CBProtOk, *CBProtOkRetificado;
    QCheckBox *CBProtEstoque, *CBProtEntradas, *CBProtSaidas, *CBProtDispensacoes;
};

} // namespace tavro
