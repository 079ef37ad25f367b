#pragma once

#include "lists/OverviewFigures.h"

#include <QAbstractTableModel>

#include <optional>

namespace tavro {

// One cell of the overview the operator may open: a kind, a month and a status.
struct OverviewChoice
{
    MovementKind kind = MovementKind::Estoque;
    QDate month;
    QString situacao;
};

// The overview's table: one row per kind and month, one column per status (records never
// sent first) and their total; each status column in its status's list colour.
class OverviewModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setFigures(OverviewFigures figures);
    const OverviewFigures &figures() const { return m_figures; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The kind, month and status of a status cell; nothing for the other columns.
    std::optional<OverviewChoice> choiceAt(const QModelIndex &index) const;

private:
    OverviewFigures m_figures;
    QStringList m_situacoes;
};

// How the overview names a status: "Não enviados" for records never sent, otherwise its text.
QString situacaoCaption(const QString &situacao);
// What a click on a figure opened, `when` being the day or period listed:
// "Estoque de 31/01/2019, situação Não enviados".
QString overviewOpened(const OverviewChoice &choice, const QString &when);

} // namespace tavro
