#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

namespace tavro {

struct ListColumn
{
    QString caption;
    int width = 0; // pixels; 0 for the view's default
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    // Characters every cell of the column keeps for a text written after the search (the
    // run mark, protocol, reception time and status a transmission writes), so that the
    // write stays inside the row instead of storing the row anew.
    quint16 room = 0;
};

// Rows of text cells being filled by a search, kept compact: the cells of a row lie
// one after another in large text blocks that never move, and each cell costs two
// bytes of length beside its text (four in a column with room). A list of 100,000
// lines thus costs little more than its text, and filling it never copies what it
// already holds.
class RecordRows
{
public:
    explicit RecordRows(int columnCount = 0);
    // One column per entry, each keeping at least that many characters per cell.
    explicit RecordRows(const QList<quint16> &rooms);

    int columnCount() const { return int(m_rooms.size()); }
    int rowCount() const { return int(m_rowStarts.size()); }

    // Appends one cell to the row being filled; a row is complete after columnCount() cells.
    void append(QStringView text);
    QStringView cell(int row, int column) const;
    // Rewrites one cell in place when the text fits the cell's characters (in a column
    // with room: is no longer than what the cell keeps; otherwise: is as long as the
    // old text); any other row is stored anew.
    void setCell(int row, int column, QStringView text);
    // Whether every row holds empty text in `column`; reads only the cell lengths.
    bool columnIsEmpty(int column) const;

private:
    struct Location
    {
        quint32 block;
        quint32 offset;
    };
    // Room for `length` more characters in the current block, moving the row being
    // filled to a fresh block when it does not fit.
    char16_t *reserveInRow(qsizetype length);
    const char16_t *rowText(int row) const;
    qsizetype offset(int row, int column) const;
    // The text's length in a cell of a column with room, else null.
    quint16 *usedLength(int row, int column);

    std::vector<quint16> m_rooms; // per column
    std::vector<int> m_roomIndex; // per column: its place among the columns with room, or -1
    int m_roomColumns = 0;
    std::vector<std::vector<char16_t>> m_blocks;
    std::vector<Location> m_rowStarts;
    std::vector<quint16> m_slots; // rowCount * columnCount characters each cell takes
    std::vector<quint16> m_used;  // rowCount * m_roomColumns text lengths of the cells with room
    qsizetype m_filling = 0;      // cells of the current row appended so far
    qsizetype m_rowLength = 0;    // characters of the current row so far
};

// A record list: a table model whose column 0 is the row caption and whose column
// k + 1 is sub-cell k. The text colour of a row comes from its status cell.
class RecordList : public QAbstractTableModel
{
    Q_OBJECT

public:
    using ColourRule = QColor (*)(QStringView situacao);

    RecordList(QList<ListColumn> columns, int statusSubCell, ColourRule colourRule, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const QList<ListColumn> &columns() const { return m_columns; }
    QString caption(int row) const { return m_rows.cell(row, 0).toString(); }
    QString subCell(int row, int subCell) const { return m_rows.cell(row, subCell + 1).toString(); }
    // The sub-cell without a copy, for passes over every row; valid until the row changes.
    QStringView subCellView(int row, int subCell) const { return m_rows.cell(row, subCell + 1); }
    // The sub-cell that holds the row's status.
    int statusSubCell() const { return m_statusColumn - 1; }
    // Whether column `column` (0 the caption) is empty in every row.
    bool columnIsEmpty(int column) const { return m_rows.columnIsEmpty(column); }
    // Changes one sub-cell and tells the views about that row only.
    void setSubCell(int row, int subCell, const QString &text);
    // A row's tooltip (none when empty), whatever cell the pointer rests on.
    using TipRule = std::function<QString(int row)>;
    void setTipRule(TipRule rule) { m_tipRule = std::move(rule); }

    // An empty row store with this list's columns, to be filled and handed to replaceRows.
    RecordRows newRows() const;
    void replaceRows(RecordRows rows);
    void clear() { replaceRows(newRows()); }

private:
    QList<ListColumn> m_columns;
    int m_statusColumn;
    ColourRule m_colourRule;
    TipRule m_tipRule;
    RecordRows m_rows;
};

} // namespace tavro
