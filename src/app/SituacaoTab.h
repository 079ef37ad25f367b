#pragma once

#include "app/OverviewModel.h"

#include <QWidget>

class QBarCategoryAxis;
class QChartView;
class QStackedBarSeries;
class QValueAxis;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace tavro {

// The overview tab "Situação": for the unit, how many records of each kind and month are
// not yet sent or stand at each status, as a table and as stacked bars of one kind. The
// window loads the figures; a click on a status cell or bar asks it to open that list.
class SituacaoTab : public QWidget
{
    Q_OBJECT

public:
    explicit SituacaoTab(QWidget *parent = nullptr);

    // The months chosen: the twelve up to the month of `latestRecord` (the unit's latest
    // record; `today` when it has none), the twelve up to the month of `today`, or a year.
    OverviewPeriod period(QDate today, QDate latestRecord) const;
    // Whether the chosen months depend on the unit's latest record.
    bool followsLatestRecord() const;
    void showFigures(OverviewFigures figures);

    QComboBox *CBSituacaoPeriodo;
    QPushButton *BtnSituacaoAtualizar;
    QTableView *LVSituacao;
    QComboBox *CBSituacaoGrafico;
    QChartView *ChartSituacao;
    QPushButton *BtnSituacaoEnviarTudo;
    QPushButton *BtnPendencias;
    // The summary of the last "Enviar tudo o que falta", under the table and the chart.
    QPlainTextEdit *MSituacaoResumo;

    void showSummary(const QString &text);

Q_SIGNALS:
    // The period changed or "Atualizar" was clicked.
    void refreshRequested();
    void choiceClicked(const tavro::OverviewChoice &choice);
    // "Enviar tudo o que falta" was clicked.
    void sendAllRequested();
    // "Pendências de cadastro" was clicked.
    void pendenciasRequested();

private:
    void drawChart();

    OverviewModel *m_model;
    QStackedBarSeries *m_series;
    QBarCategoryAxis *m_months;
    QValueAxis *m_counts;
};

} // namespace tavro
