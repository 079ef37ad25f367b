#pragma once

#include "followup/ProtocolList.h"

#include <QWidget>

class QCheckBox;
class QPlainTextEdit;
class QSpinBox;
class QTableView;

namespace tavro {

class RecordList;
class TPersonBtn;

// The protocol tab: filter strip, the protocol list beside the checks' text output,
// and the follow-up buttons. It only reads its controls; the window runs the work.
class ProtocolTab : public QWidget
{
    Q_OBJECT

public:
    explicit ProtocolTab(QWidget *parent = nullptr);

    // The filters as the boxes stand, for the unit whose CNES is `cnes`.
    ProtocolFilter filter(const QString &cnes) const;
    RecordList &list() const { return *m_list; }

    QTableView *LVProtocolos;
    QPlainTextEdit *MProtocolos;
    TPersonBtn *PBTodosProtocolos;
    QSpinBox *SEProtocolosVezes;
    TPersonBtn *PBProtocolosProcessamento;
    TPersonBtn *PBProtocolosInconsistencia;
    TPersonBtn *PersonBtn1;

Q_SIGNALS:
    // The operator clicked one of the filter boxes.
    void filterClicked();

private:
    QCheckBox *addBox(QWidget *strip, const char *name, const QString &caption, bool ticked);

    RecordList *m_list;
    QCheckBox *CBProtocolosMostrarTodosCnes;
    QCheckBox *CBProtAguardando, *CBProtFinalizados, *CBProtInconsistencias, *CBProtOk, *CBProtOkRetificado;
    QCheckBox *CBProtEstoque, *CBProtEntradas, *CBProtSaidas, *CBProtDispensacoes;
};

} // namespace tavro
