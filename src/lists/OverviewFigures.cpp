#include "lists/OverviewFigures.h"

#include "common/Error.h"
#include "common/Status.h"

#include <QRegularExpression>

namespace tavro {

int OverviewPeriod::indexOf(QDate day) const
{
    if (!day.isValid() || day < firstDay() || day > lastDay())
        return -1;
    return (day.year() - first.year()) * 12 + day.month() - first.month();
}

OverviewPeriod lastTwelveMonths(QDate today)
{
    const QDate month(today.year(), today.month(), 1);
    return {month.addMonths(-11), 12};
}

OverviewPeriod yearPeriod(int year)
{
    return {QDate(year, 1, 1), 12};
}

OverviewPeriod monthRange(QDate from, QDate to)
{
    const int months = (to.year() - from.year()) * 12 + to.month() - from.month() + 1;
    if (months < 1)
        throw Error(QStringLiteral("O mês final (%1) é anterior ao inicial (%2)").arg(monthText(to), monthText(from)));
    return {QDate(from.year(), from.month(), 1), months};
}

QString monthText(QDate month)
{
    return month.toString(QStringLiteral("MM/yyyy"));
}

std::optional<QDate> monthFromText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{2})/(\\d{4})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate month(match.captured(2).toInt(), match.captured(1).toInt(), 1);
    if (!month.isValid())
        return std::nullopt;
    return month;
}

QStringList overviewSituacoes()
{
    return {QString(),    Situacao::Aguardando, Situacao::Finalizado,  Situacao::Inconsistencia,
            Situacao::Ok, Situacao::OkInc,      Situacao::OkRetificado};
}

StatusBoxes statusBoxesFor(const QString &situacao)
{
    StatusBoxes boxes{false, false, false, false, false};
    if (situacao.isEmpty() || situacao == Situacao::Inconsistencia)
        boxes.inconsistencias = true;
    else if (situacao == Situacao::Aguardando)
        boxes.aguardando = true;
    else if (situacao == Situacao::Finalizado)
        boxes.finalizados = true;
    else if (situacao == Situacao::Ok || situacao == Situacao::OkInc)
        boxes.ok = true;
    else if (situacao == Situacao::OkRetificado)
        boxes.okRetificado = true;
    return boxes;
}

OverviewFigures::OverviewFigures(OverviewPeriod period)
    : m_period(period)
{
}

void OverviewFigures::add(MovementKind kind, int yearMonth, const QString &situacao, qint64 quantidade)
{
    const int month = m_period.indexOf(QDate(yearMonth / 100, yearMonth % 100, 1));
    if (month < 0)
        return;
    QList<qint64> &counts = m_counts[situacao];
    if (counts.isEmpty())
        counts.resize(qsizetype(std::size(AllLists)) * m_period.months);
    counts[slot(kind, month)] += quantidade;
}

qint64 OverviewFigures::count(MovementKind kind, int month, const QString &situacao) const
{
    const auto found = m_counts.constFind(situacao);
    return found == m_counts.constEnd() || month < 0 || month >= m_period.months ? 0 : found->at(slot(kind, month));
}

qint64 OverviewFigures::total(MovementKind kind, int month) const
{
    qint64 sum = 0;
    for (const QList<qint64> &counts : m_counts)
        sum += counts.at(slot(kind, month));
    return sum;
}

QStringList OverviewFigures::situacoes() const
{
    QStringList out = overviewSituacoes();
    for (auto it = m_counts.constBegin(); it != m_counts.constEnd(); ++it) {
        if (!out.contains(it.key()))
            out.append(it.key());
    }
    return out;
}

} // namespace tavro
