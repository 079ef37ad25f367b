#include "app/OverviewModel.h"

#include "common/Status.h"

namespace tavro {

namespace {

// Columns before the statuses.
enum : int { KindColumn, MonthColumn, FirstStatusColumn };

} // namespace

QString situacaoCaption(const QString &situacao)
{
    return situacao.isEmpty() ? QStringLiteral("Não enviados") : situacao;
}

QString overviewOpened(const OverviewChoice &choice, const QString &when)
{
    return QStringLiteral("%1 de %2, situação %3")
        .arg(kindFacts(choice.kind).caption, when, situacaoCaption(choice.situacao));
}

void OverviewModel::setFigures(OverviewFigures figures)
{
    beginResetModel();
    m_figures = std::move(figures);
    m_situacoes = m_figures.situacoes();
    endResetModel();
}

int OverviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(std::size(AllLists)) * m_figures.period().months;
}

int OverviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FirstStatusColumn + int(m_situacoes.size()) + 1;
}

QVariant OverviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int months = m_figures.period().months;
    const MovementKind kind = AllLists[index.row() / months];
    const int month = index.row() % months;
    const int status = index.column() - FirstStatusColumn;
    const bool isTotal = status == m_situacoes.size();
    switch (role) {
    case Qt::DisplayRole: {
        if (index.column() == KindColumn)
            return kindFacts(kind).caption;
        if (index.column() == MonthColumn)
            return monthText(m_figures.period().month(month));
        const qint64 n = isTotal ? m_figures.total(kind, month) : m_figures.count(kind, month, m_situacoes.at(status));
        return n == 0 ? QVariant(QString()) : QVariant(n); // blanks let the months with records stand out
    }
    case Qt::TextAlignmentRole:
        return index.column() < FirstStatusColumn ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (status >= 0 && !isTotal)
            return recordStatusColour(m_situacoes.at(status));
        return {};
    default:
        return {};
    }
}

QVariant OverviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == KindColumn)
        return QStringLiteral("Tipo");
    if (section == MonthColumn)
        return QStringLiteral("Mês");
    const int status = section - FirstStatusColumn;
    return status < m_situacoes.size() ? situacaoCaption(m_situacoes.at(status)) : QStringLiteral("Total");
}

std::optional<OverviewChoice> OverviewModel::choiceAt(const QModelIndex &index) const
{
    const int status = index.column() - FirstStatusColumn;
    if (!index.isValid() || status < 0 || status >= m_situacoes.size())
        return std::nullopt;
    const int months = m_figures.period().months;
    return OverviewChoice{AllLists[index.row() / months], m_figures.period().month(index.row() % months),
                          m_situacoes.at(status)};
}

} // namespace tavro
