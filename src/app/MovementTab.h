#pragma once

#include "lists/MovementLists.h"
#include "transmission/ProtocolSummary.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QTimer;

namespace tavro {

class RecordList;
class RecordView;

// One movement tab: its filter strip (protocol choice box, status boxes, "Protoc.
// Selecionado") above its record list. It reads and fills its controls; the window
// runs the searches.
class MovementTab : public QWidget
{
    Q_OBJECT

public:
    // `prefix` names the controls as the window knows them ("Es", "En", "Sa", "Di";
    // "Estoque", "Entradas", ... for the list and the protocol box).
    MovementTab(MovementKind kind, const QString &prefix, const QString &name, QWidget *parent = nullptr);

    MovementKind kind() const { return m_kind; }
    RecordList &list() const { return *m_list; }
    QHBoxLayout *strip() const { return m_strip; }
    // The strip below the list, for the tab's action buttons.
    QHBoxLayout *buttons() const { return m_buttons; }

    StatusBoxes statusBoxes() const;
    void setStatusBoxes(const StatusBoxes &boxes);
    bool protocoloSelecionado() const;
    void setProtocoloSelecionado(bool ticked);
    // The chosen protocol's number; empty for a new batch.
    QString protocolo() const;
    // Refills the protocol box, keeping the chosen entry when it is still there. Each entry
    // shows the protocol's date and kind beside its number.
    void setProtocols(const QList<ProtocolSummary> &protocols);
    // Selects the row with this caption, scrolls to it and gives the list the focus; false
    // when the list does not hold it.
    bool showRow(const QString &caption);
    // The line the list shows while it holds no row (empty: none).
    void setEmptyListText(const QString &text);
    // Gives the keyboard to the list, as after opening it from elsewhere.
    void focusList();

Q_SIGNALS:
    void filterClicked();
    void protocolChosen();

private:
    QCheckBox *addBox(const QString &name, const QString &caption);
    void showCounts();

    MovementKind m_kind;
    RecordList *m_list;
    RecordView *m_view;
    QLabel *m_counts;
    // Coalesces the row changes of a transmission run into one count.
    QTimer *m_countTimer;
    QHBoxLayout *m_strip;
    QHBoxLayout *m_buttons;
    QComboBox *m_protocols;
    QCheckBox *m_aguardando, *m_finalizado, *m_inconsistencia, *m_ok, *m_okRetificado, *m_protSelecionado;
};

} // namespace tavro
