#pragma once

#include <QTableView>

#include <QHash>

namespace tavro {

class RecordList;

// A movement list's grid, readable without scrolling hunts: the row's key (the caption
// column) stays in view while the list scrolls sideways, the status column stands next to
// it (only the view's order moves; the list keeps its cell order), a column empty in every
// row shrinks to its caption until a row fills it, and an empty list can say why it is
// empty. Cut cells show their whole text as a tooltip, as in every record grid.
class RecordView : public QTableView
{
    Q_OBJECT

public:
    RecordView(RecordList *list, QWidget *parent = nullptr);

    // The line an empty list shows; empty text shows nothing.
    void setEmptyText(const QString &text);
    // The line the list shows now: the empty text while the list holds no row.
    QString shownEmptyText() const;

    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void updateGeometries() override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    void placeKeyColumn();
    // After a search: shrinks the columns no row fills and gives back their width to
    // those a row fills again.
    void fitColumns();
    // A run wrote rows `top` to `bottom`: a shrunk column they now fill gets its width back.
    void widenFilled(int top, int bottom);

    RecordList *m_list;
    // The key column drawn over the grid's own, which scrolls away beneath it.
    QTableView *m_key;
    QString m_emptyText;
    QHash<int, int> m_shrunk; // column -> the width it had before it shrank
};

} // namespace tavro
