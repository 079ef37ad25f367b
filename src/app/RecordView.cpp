#include "app/RecordView.h"

#include "app/ListView.h"
#include "lists/RecordList.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>

namespace tavro {

namespace {

constexpr int KeyColumn = 0;

} // namespace

RecordView::RecordView(RecordList *list, QWidget *parent)
    : QTableView(parent)
    , m_list(list)
    , m_key(new QTableView(this))
{
    showRecordList(this, list);
    showRecordList(m_key, list);
    m_key->setObjectName(QStringLiteral("ChaveFixa"));
    m_key->setFocusPolicy(Qt::NoFocus);
    m_key->setSelectionModel(selectionModel());
    m_key->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_key->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_key->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_key->setFrameShape(QFrame::NoFrame);
    for (int c = 0; c < list->columnCount(); ++c)
        m_key->setColumnHidden(c, c != KeyColumn);
    viewport()->stackUnder(m_key);
    // Per pixel, so the columns slide under the key column rather than jump past it.
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    m_key->setVerticalScrollMode(ScrollPerPixel);

    // The status next to the key, where it is seen without scrolling.
    horizontalHeader()->moveSection(horizontalHeader()->visualIndex(list->statusSubCell() + 1), KeyColumn + 1);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (column == KeyColumn) {
            m_key->setColumnWidth(KeyColumn, width);
            placeKeyColumn();
        }
    });
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_key->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(m_key->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(list, &QAbstractItemModel::modelReset, this, &RecordView::fitColumns);
    connect(list, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &top, const QModelIndex &bottom) { widenFilled(top.row(), bottom.row()); });
    placeKeyColumn();
}

void RecordView::setEmptyText(const QString &text)
{
    m_emptyText = text;
    viewport()->update();
}

QString RecordView::shownEmptyText() const
{
    return m_list->rowCount() == 0 ? m_emptyText : QString();
}

void RecordView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    // The key column is always in view: reaching its row must not scroll sideways.
    const int sideways = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    if (index.column() == KeyColumn)
        horizontalScrollBar()->setValue(sideways);
}

void RecordView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    const QString text = shownEmptyText();
    if (text.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
}

void RecordView::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    placeKeyColumn();
}

void RecordView::updateGeometries()
{
    QTableView::updateGeometries();
    placeKeyColumn();
}

QModelIndex RecordView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // Moving left onto a column hidden under the key column scrolls it out from under it.
    const QModelIndex current = QTableView::moveCursor(action, modifiers);
    const int keyWidth = columnWidth(KeyColumn);
    if (action == MoveLeft && current.column() != KeyColumn && visualRect(current).left() < keyWidth)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + visualRect(current).left() - keyWidth);
    return current;
}

void RecordView::placeKeyColumn()
{
    // An empty list shows its line where the key column would stand.
    m_key->setVisible(m_list->rowCount() > 0);
    m_key->setColumnWidth(KeyColumn, columnWidth(KeyColumn));
    m_key->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), columnWidth(KeyColumn),
                       viewport()->height() + horizontalHeader()->height());
}

void RecordView::fitColumns()
{
    placeKeyColumn();
    if (m_list->rowCount() == 0)
        return; // nothing tells a column that stays empty from one not yet filled
    for (int c = 0; c < m_list->columnCount(); ++c) {
        const bool empty = m_list->columnIsEmpty(c);
        if (empty && !m_shrunk.contains(c)) {
            m_shrunk.insert(c, columnWidth(c));
            setColumnWidth(c, horizontalHeader()->sectionSizeHint(c));
        } else if (!empty && m_shrunk.contains(c)) {
            setColumnWidth(c, m_shrunk.take(c));
        }
    }
}

void RecordView::widenFilled(int top, int bottom)
{
    for (auto shrunk = m_shrunk.begin(); shrunk != m_shrunk.end();) {
        bool filled = false;
        for (int row = top; row <= bottom && !filled; ++row)
            filled = !m_list->index(row, shrunk.key()).data().toString().isEmpty();
        if (filled) {
            setColumnWidth(shrunk.key(), shrunk.value());
            shrunk = m_shrunk.erase(shrunk);
        } else {
            ++shrunk;
        }
    }
}

} // namespace tavro
