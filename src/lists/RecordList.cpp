#include "lists/RecordList.h"

namespace tavro {

namespace {
constexpr qsizetype BlockCharacters = 1 << 20;
constexpr qsizetype MaxCellLength = 0xFFFF;
} // namespace

RecordRows::RecordRows(int columnCount)
    : RecordRows(QList<quint16>(columnCount, 0))
{
}

RecordRows::RecordRows(const QList<quint16> &rooms)
    : m_rooms(rooms.begin(), rooms.end())
{
    for (const quint16 room : m_rooms)
        m_roomIndex.push_back(room > 0 ? m_roomColumns++ : -1);
}

char16_t *RecordRows::reserveInRow(qsizetype length)
{
    if (m_blocks.empty() || m_blocks.back().size() + length > m_blocks.back().capacity()) {
        std::vector<char16_t> block;
        block.reserve(std::max(BlockCharacters, m_rowLength + length));
        if (!m_blocks.empty() && m_rowLength > 0) {
            // Rows stay whole inside one block: carry over the part already appended.
            std::vector<char16_t> &old = m_blocks.back();
            block.insert(block.end(), old.end() - m_rowLength, old.end());
            old.resize(old.size() - m_rowLength);
        }
        m_blocks.push_back(std::move(block));
        if (m_filling > 0) // the row being filled moved with its cells
            m_rowStarts.back() = Location{quint32(m_blocks.size() - 1), 0};
    }
    std::vector<char16_t> &block = m_blocks.back();
    const size_t at = block.size();
    block.resize(at + length);
    return block.data() + at;
}

void RecordRows::append(QStringView text)
{
    const qsizetype column = m_filling;
    const qsizetype length = std::min(text.size(), MaxCellLength);
    const qsizetype slot = std::max<qsizetype>(length, m_rooms[size_t(column)]);
    const bool firstCell = column == 0;
    if (firstCell)
        m_rowLength = 0;
    char16_t *target = reserveInRow(slot);
    if (firstCell)
        m_rowStarts.push_back(Location{quint32(m_blocks.size() - 1), quint32(target - m_blocks.back().data())});
    std::copy_n(text.utf16(), length, target);
    m_rowLength += slot;
    m_slots.push_back(quint16(slot));
    if (m_roomIndex[size_t(column)] >= 0)
        m_used.push_back(quint16(length));
    if (++m_filling == columnCount())
        m_filling = 0;
}

const char16_t *RecordRows::rowText(int row) const
{
    const Location at = m_rowStarts[size_t(row)];
    return m_blocks[at.block].data() + at.offset;
}

qsizetype RecordRows::offset(int row, int column) const
{
    const quint16 *slots = m_slots.data() + size_t(row) * m_rooms.size();
    qsizetype offset = 0;
    for (int c = 0; c < column; ++c)
        offset += slots[c];
    return offset;
}

quint16 *RecordRows::usedLength(int row, int column)
{
    const int index = m_roomIndex[size_t(column)];
    return index < 0 ? nullptr : &m_used[size_t(row) * m_roomColumns + index];
}

QStringView RecordRows::cell(int row, int column) const
{
    const int index = m_roomIndex[size_t(column)];
    const quint16 length = index < 0 ? m_slots[size_t(row) * m_rooms.size() + column]
                                     : m_used[size_t(row) * m_roomColumns + index];
    return QStringView(rowText(row) + offset(row, column), length);
}

void RecordRows::setCell(int row, int column, QStringView text)
{
    Q_ASSERT(m_filling == 0);
    quint16 *slots = m_slots.data() + size_t(row) * m_rooms.size();
    quint16 *used = usedLength(row, column);
    const qsizetype length = std::min(text.size(), MaxCellLength);
    if (used ? length <= slots[column] : length == slots[column]) {
        std::copy_n(text.utf16(), length, const_cast<char16_t *>(rowText(row)) + offset(row, column));
        if (used)
            *used = quint16(length);
        return;
    }
    // Store the row anew at the end with the changed cell; the old text stays unused.
    const qsizetype before = offset(row, column);
    qsizetype after = 0;
    for (qsizetype c = column + 1; c < columnCount(); ++c)
        after += slots[c];
    const qsizetype slot = std::max<qsizetype>(length, m_rooms[size_t(column)]);
    m_rowLength = 0;
    // Blocks never move, so the old row stays readable while the new one is written.
    char16_t *target = reserveInRow(before + slot + after);
    const char16_t *source = rowText(row);
    std::copy_n(source, before, target);
    std::copy_n(text.utf16(), length, target + before);
    std::copy_n(source + before + slots[column], after, target + before + slot);
    slots[column] = quint16(slot);
    if (used)
        *used = quint16(length);
    m_rowStarts[size_t(row)] = Location{quint32(m_blocks.size() - 1), quint32(target - m_blocks.back().data())};
}

bool RecordRows::columnIsEmpty(int column) const
{
    // A column with room keeps its text lengths apart from the characters its cells take.
    const int index = m_roomIndex[size_t(column)];
    const std::vector<quint16> &lengths = index < 0 ? m_slots : m_used;
    const size_t stride = index < 0 ? m_rooms.size() : size_t(m_roomColumns);
    for (size_t at = size_t(index < 0 ? column : index); at < lengths.size(); at += stride) {
        if (lengths[at] != 0)
            return false;
    }
    return true;
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
    case Qt::ToolTipRole:
        if (m_tipRule) {
            if (const QString tip = m_tipRule(index.row()); !tip.isEmpty())
                return tip;
        }
        return QVariant();
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
    // A run clears the mark of every row of its list: a cell that does not change
    // costs no view update.
    if (m_rows.cell(row, subCell + 1) == text)
        return;
    m_rows.setCell(row, subCell + 1, text);
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole, Qt::ForegroundRole});
}

RecordRows RecordList::newRows() const
{
    QList<quint16> rooms;
    for (const ListColumn &column : m_columns)
        rooms.append(column.room);
    return RecordRows(rooms);
}

void RecordList::replaceRows(RecordRows rows)
{
    Q_ASSERT(rows.columnCount() == m_columns.size());
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

} // namespace tavro
