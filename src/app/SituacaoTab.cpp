#include "app/SituacaoTab.h"

#include "app/Messages.h"
#include "common/Status.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStackedBarSeries>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

namespace tavro {

namespace {

const int YearsOffered = 10;

// The period box's entries before the years.
enum : int { UpToLatestRecord = -1, UpToToday = 0 };

// The top of the count axis and the interval of its ticks: whole numbers, 1, 2 or 5 times a
// power of ten, at most five intervals, decided by the figures alone so the same figures
// always get the same scale.
std::pair<qint64, qint64> countScale(qint64 highest)
{
    highest = qMax<qint64>(highest, 1);
    for (qint64 magnitude = 1;; magnitude *= 10) {
        for (const qint64 factor : {1, 2, 5}) {
            const qint64 step = factor * magnitude;
            if (highest <= 5 * step)
                return {(highest + step - 1) / step * step, step};
        }
    }
}

// The lists' colours where they tell statuses apart; the statuses the lists draw black,
// and "Ok (Inc.)" beside "Ok", get shades of their own so that no two bars look alike.
QColor barColour(const QString &situacao)
{
    if (situacao.isEmpty())
        return QColor(160, 160, 160);
    if (situacao == Situacao::OkInc)
        return QColor(100, 149, 237);
    if (situacao == Situacao::OkRetificado)
        return QColor(47, 79, 79);
    const QColor colour = recordStatusColour(situacao);
    return colour == QColor(0, 0, 0) ? QColor(90, 90, 90) : colour;
}

} // namespace

SituacaoTab::SituacaoTab(QWidget *parent)
    : QWidget(parent)
    , m_model(new OverviewModel(this))
{
    auto *layout = new QVBoxLayout(this);
    auto *strip = new QHBoxLayout();
    auto *periodLabel = new QLabel(QStringLiteral("Período:"), this);
    CBSituacaoPeriodo = new QComboBox(this);
    CBSituacaoPeriodo->setObjectName(QStringLiteral("CBSituacaoPeriodo"));
    // A unit whose records stopped a while ago must not open on an empty table.
    CBSituacaoPeriodo->addItem(QStringLiteral("Últimos 12 meses com registros"), UpToLatestRecord);
    CBSituacaoPeriodo->addItem(QStringLiteral("Últimos 12 meses"), UpToToday);
    const int year = QDate::currentDate().year();
    for (int y = year; y > year - YearsOffered; --y)
        CBSituacaoPeriodo->addItem(QString::number(y), y);
    periodLabel->setBuddy(CBSituacaoPeriodo);
    BtnSituacaoAtualizar = new QPushButton(QStringLiteral("Atualizar"), this);
    BtnSituacaoAtualizar->setObjectName(QStringLiteral("BtnSituacaoAtualizar"));
    auto *chartLabel = new QLabel(QStringLiteral("Gráfico:"), this);
    CBSituacaoGrafico = new QComboBox(this);
    CBSituacaoGrafico->setObjectName(QStringLiteral("CBSituacaoGrafico"));
    for (const MovementKind kind : AllMovementKinds)
        CBSituacaoGrafico->addItem(listKind(kind).caption);
    chartLabel->setBuddy(CBSituacaoGrafico);
    strip->addWidget(periodLabel);
    strip->addWidget(CBSituacaoPeriodo);
    strip->addWidget(BtnSituacaoAtualizar);
    strip->addSpacing(24);
    strip->addWidget(chartLabel);
    strip->addWidget(CBSituacaoGrafico);
    strip->addStretch();
    BtnSituacaoEnviarTudo = new QPushButton(QStringLiteral("Enviar tudo o que falta"), this);
    BtnSituacaoEnviarTudo->setObjectName(QStringLiteral("BtnSituacaoEnviarTudo"));
    BtnSituacaoEnviarTudo->setToolTip(
        QStringLiteral("Envia os registros ainda não enviados de todos os tipos desta unidade e depois verifica os "
                       "protocolos em aberto, como a sincronização automática"));
    strip->addWidget(BtnSituacaoEnviarTudo);
    BtnPendencias = new QPushButton(QStringLiteral("Pendências de cadastro"), this);
    BtnPendencias->setObjectName(QStringLiteral("BtnPendencias"));
    BtnPendencias->setToolTip(QStringLiteral(
        "Lista, sem enviar nada, os registros por enviar que os envios recusariam, agrupados pelo que corrigir no "
        "cadastro"));
    strip->addWidget(BtnPendencias);
    layout->addLayout(strip);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    LVSituacao = new QTableView(splitter);
    LVSituacao->setObjectName(QStringLiteral("LVSituacao"));
    LVSituacao->setModel(m_model);
    LVSituacao->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LVSituacao->setSelectionMode(QAbstractItemView::SingleSelection);
    LVSituacao->verticalHeader()->hide();
    LVSituacao->verticalHeader()->setDefaultSectionSize(LVSituacao->fontMetrics().height() + 6);
    ChartSituacao = new QChartView(splitter);
    ChartSituacao->setObjectName(QStringLiteral("ChartSituacao"));
    ChartSituacao->setRenderHint(QPainter::Antialiasing);
    QChart *chart = ChartSituacao->chart();
    chart->legend()->setAlignment(Qt::AlignRight);
    m_series = new QStackedBarSeries(chart);
    chart->addSeries(m_series);
    m_months = new QBarCategoryAxis(chart);
    m_months->setLabelsAngle(-90);
    chart->addAxis(m_months, Qt::AlignBottom);
    m_series->attachAxis(m_months);
    m_counts = new QValueAxis(chart);
    m_counts->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(m_counts, Qt::AlignLeft);
    m_series->attachAxis(m_counts);
    splitter->setSizes({700, 600});
    layout->addWidget(splitter, 1);
    MSituacaoResumo = new QPlainTextEdit(this);
    MSituacaoResumo->setObjectName(QStringLiteral("MSituacaoResumo"));
    MSituacaoResumo->setReadOnly(true);
    MSituacaoResumo->setLineWrapMode(QPlainTextEdit::NoWrap);
    MSituacaoResumo->setFont(columnsFont()); // the summary's columns
    MSituacaoResumo->hide();
    layout->addWidget(MSituacaoResumo);

    connect(CBSituacaoPeriodo, &QComboBox::activated, this, &SituacaoTab::refreshRequested);
    connect(BtnSituacaoAtualizar, &QPushButton::clicked, this, &SituacaoTab::refreshRequested);
    connect(BtnSituacaoEnviarTudo, &QPushButton::clicked, this, &SituacaoTab::sendAllRequested);
    connect(BtnPendencias, &QPushButton::clicked, this, &SituacaoTab::pendenciasRequested);
    connect(CBSituacaoGrafico, &QComboBox::currentIndexChanged, this, &SituacaoTab::drawChart);
    connect(LVSituacao, &QTableView::clicked, this, [this](const QModelIndex &index) {
        if (const std::optional<OverviewChoice> choice = m_model->choiceAt(index))
            Q_EMIT choiceClicked(*choice);
    });
}

OverviewPeriod SituacaoTab::period(QDate today, QDate latestRecord) const
{
    switch (const int year = CBSituacaoPeriodo->currentData().toInt()) {
    case UpToLatestRecord:
        return lastTwelveMonths(latestRecord.isValid() ? latestRecord : today);
    case UpToToday:
        return lastTwelveMonths(today);
    default:
        return yearPeriod(year);
    }
}

bool SituacaoTab::followsLatestRecord() const
{
    return CBSituacaoPeriodo->currentData().toInt() == UpToLatestRecord;
}

void SituacaoTab::showSummary(const QString &text)
{
    MSituacaoResumo->setPlainText(text);
    MSituacaoResumo->setMinimumHeight(MSituacaoResumo->fontMetrics().lineSpacing() * 12);
    MSituacaoResumo->show();
}

void SituacaoTab::showFigures(OverviewFigures figures)
{
    m_model->setFigures(std::move(figures));
    LVSituacao->resizeColumnsToContents();
    drawChart();
}

void SituacaoTab::drawChart()
{
    const OverviewFigures &figures = m_model->figures();
    const MovementKind kind = AllMovementKinds[qMax(0, CBSituacaoGrafico->currentIndex())];
    ChartSituacao->chart()->setTitle(listKind(kind).caption);
    m_series->clear();
    QStringList months;
    qint64 highest = 0;
    for (int m = 0; m < figures.period().months; ++m) {
        months.append(monthText(figures.period().month(m)));
        highest = qMax(highest, figures.total(kind, m));
    }
    for (const QString &situacao : figures.situacoes()) {
        auto *set = new QBarSet(situacaoCaption(situacao));
        set->setColor(barColour(situacao));
        set->setBorderColor(barColour(situacao));
        for (int m = 0; m < figures.period().months; ++m)
            set->append(double(figures.count(kind, m, situacao)));
        connect(set, &QBarSet::clicked, this, [this, kind, situacao](int m) {
            Q_EMIT choiceClicked(OverviewChoice{kind, m_model->figures().period().month(m), situacao});
        });
        m_series->append(set);
    }
    m_months->setCategories(months);
    const auto [top, step] = countScale(highest);
    m_counts->setTickType(QValueAxis::TicksDynamic);
    m_counts->setTickAnchor(0);
    m_counts->setTickInterval(double(step));
    m_counts->setRange(0, double(top));
}

} // namespace tavro
