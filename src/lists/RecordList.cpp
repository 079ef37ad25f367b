#include "lists/RecordList.h"

namespace tavro {

void RecordRows::append(QStringView text)
{
    m_cells.push_back(Span{quint32(m_pool.size()), quint32(text.size())});
    m_pool.append(text);
}

QStringView RecordRows::cell(int row, int column) const
{
    const Span span = m_cells[size_t(row) * m_columnCount + column];
    return QStringView(m_pool).mid(span.start, span.length);
}

void RecordRows::setCell(int row, int column, QStringView text)
{
    Span &span = m_cells[size_t(row) * m_columnCount + column];
    if (text.size() <= qsizetype(span.length)) {
        // Overwrite in place; the pool only grows for longer texts.
        std::copy(text.begin(), text.end(), m_pool.begin() + span.start);
        span.length = quint32(text.size());
        return;
    }
    span = Span{quint32(m_pool.size()), quint32(text.size())};
    m_pool.append(text);
}

void RecordRows::reserve(qsizetype rows, qsizetype characters)
{
    m_cells.reserve(size_t(rows) * m_columnCount);
    m_pool.reserve(characters);
}

RecordList::RecordList(QList<ListColumn> columns, int statusSubCell, ColourRule colourRule, QObject *parent)
    : QAbstractTableModel(parent)
    , m_columns(std::move(columns))
    , m_statusColumn(statusSubCell + 1)
    , m_colourRule(colourRule)
    , m_rows(int(m_columns.size()))
{
}

int RecordList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.rowCount();
}

int RecordList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant RecordList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return m_rows.cell(index.row(), index.column()).toString();
    case Qt::ForegroundRole:
        return m_colourRule(m_rows.cell(index.row(), m_statusColumn));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(m_columns.at(index.column()).alignment);
    default:
        return QVariant();
    }
}

QVariant RecordList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_columns.at(section).caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns.at(section).alignment);
    return QVariant();
}

void RecordList::setSubCell(int row, int subCell, const QString &text)
{
    m_rows.setCell(row, subCell + 1, text);
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole, Qt::ForegroundRole});
}

void RecordList::replaceRows(RecordRows rows)
{
    Q_ASSERT(rows.columnCount() == m_columns.size());
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

} // namespace tavro
