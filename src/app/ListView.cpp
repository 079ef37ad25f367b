#include "app/ListView.h"

#include "lists/RecordList.h"

#include <QHeaderView>
#include <QTableView>

namespace tavro {

void showRecordList(QTableView *view, RecordList *list)
{
    view->setModel(list);
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
