#include "app/ListView.h"

#include "lists/RecordList.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QHelpEvent>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>

namespace tavro {

namespace {

// Shows a row's own tooltip, else a cell's whole text when the column is too narrow for it.
class CutCellTip : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        // A row that says what it is (a held batch of the protocol list) says so on every cell.
        if (const QString tip = index.data(Qt::ToolTipRole).toString(); !tip.isEmpty()) {
            QToolTip::showText(event->globalPos(), tip, view->viewport(), option.rect);
            return true;
        }
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QStyle *style = view->style();
        const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, view);
        // The style keeps a margin on each side of the text inside its rectangle.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &cell, view) + 1;
        if (!cell.text.isEmpty() && cell.fontMetrics.horizontalAdvance(cell.text) > room.width() - 2 * margin) {
            QToolTip::showText(event->globalPos(), cell.text, view->viewport(), option.rect);
            return true;
        }
        QToolTip::hideText();
        return true;
    }
};

} // namespace

void showRecordList(QTableView *view, RecordList *list)
{
    view->setModel(list);
    view->setItemDelegate(new CutCellTip(view));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // The widths were set for digits 6 pixels wide.
    const double scale = qMax(1.0, view->fontMetrics().horizontalAdvance(QLatin1Char('0')) / 6.0);
    for (int c = 0; c < list->columns().size(); ++c) {
        if (list->columns().at(c).width > 0)
            view->setColumnWidth(c, int(list->columns().at(c).width * scale));
    }
}

} // namespace tavro
