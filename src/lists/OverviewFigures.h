#pragma once

#include "lists/MovementLists.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavro {

// Whole months of an overview, from the first day of `first` to the last day of its
// `months`-th month.
struct OverviewPeriod
{
    QDate first;
    int months = 0;

    QDate firstDay() const { return first; }
    QDate lastDay() const { return first.addMonths(months).addDays(-1); }
    // The first day of month `index` (0 for the first month).
    QDate month(int index) const { return first.addMonths(index); }
    // The index of the month that holds `day`, or -1 when it lies outside the period.
    int indexOf(QDate day) const;
};

// The last twelve months up to and including the month of `today`.
OverviewPeriod lastTwelveMonths(QDate today);
// January to December of `year`.
OverviewPeriod yearPeriod(int year);
// From the month of `from` to the month of `to`; throws Error when `to` comes first.
OverviewPeriod monthRange(QDate from, QDate to);

// A month as the overview shows it, "MM/YYYY", and read back from that form.
QString monthText(QDate month);
std::optional<QDate> monthFromText(const QString &text);

// The statuses the overview always shows, in the order of the vocabulary: records never
// sent (the empty text), then "Aguardando" to "Ok-Retificado".
QStringList overviewSituacoes();

// The status boxes a movement tab ticks to list a status of the overview. No box lists
// only the records never sent: they come with the rejected ones ("Inconsistências"),
// which a new batch takes with them. A text outside the vocabulary unticks every box,
// which lists every status.
StatusBoxes statusBoxesFor(const QString &situacao);

// How many records of each kind, month and status an overview found. A status is the
// text the lists show: empty for records never sent, and any text outside the vocabulary
// as it stands in the database.
class OverviewFigures
{
public:
    OverviewFigures() = default;
    explicit OverviewFigures(OverviewPeriod period);

    const OverviewPeriod &period() const { return m_period; }
    // Adds to a count; `yearMonth` is year * 100 + month. Months outside the period are ignored.
    void add(MovementKind kind, int yearMonth, const QString &situacao, qint64 quantidade);
    qint64 count(MovementKind kind, int month, const QString &situacao) const;
    qint64 total(MovementKind kind, int month) const;
    // The statuses of overviewSituacoes(), then every other status met, in text order.
    QStringList situacoes() const;

private:
    int slot(MovementKind kind, int month) const { return int(kind) * m_period.months + month; }

    OverviewPeriod m_period;
    QMap<QString, QList<qint64>> m_counts; // by status, one count per kind and month
};

} // namespace tavro
