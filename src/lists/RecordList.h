#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QString>

#include <vector>

namespace tavro {

struct ListColumn
{
    QString caption;
    int width = 0; // pixels; 0 for the view's default
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// Rows of text cells being filled by a search, kept compact: one text pool and a
// (start, length) pair per cell, so a list of 100,000 lines costs little more than
// its text.
class RecordRows
{
public:
    explicit RecordRows(int columnCount = 0)
        : m_columnCount(columnCount)
    {
    }

    int columnCount() const { return m_columnCount; }
    int rowCount() const { return m_columnCount ? int(m_cells.size() / m_columnCount) : 0; }

    // Appends one cell to the current row; a row is complete after columnCount() cells.
    void append(QStringView text);
    QStringView cell(int row, int column) const;
    void setCell(int row, int column, QStringView text);
    void reserve(qsizetype rows, qsizetype characters);

private:
    struct Span
    {
        quint32 start;
        quint32 length;
    };
    int m_columnCount;
    QString m_pool;
    std::vector<Span> m_cells;
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
    // Changes one sub-cell and tells the views about that row only.
    void setSubCell(int row, int subCell, const QString &text);

    // An empty row store with this list's columns, to be filled and handed to replaceRows.
    RecordRows newRows() const { return RecordRows(int(m_columns.size())); }
    void replaceRows(RecordRows rows);
    void clear() { replaceRows(newRows()); }

private:
    QList<ListColumn> m_columns;
    int m_statusColumn;
    ColourRule m_colourRule;
    RecordRows m_rows;
};

} // namespace tavro
