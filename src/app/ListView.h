#pragma once

class QTableView;

namespace tavro {

class RecordList;

// Shows a record list as a report-style grid: whole-row selection, no editing, fixed
// row heights (so 100,000 lines scroll as cheaply as ten), a cut cell's whole text as its
// tooltip, and the list's column widths scaled to the window's font, since they were
// measured for a narrow one.
void showRecordList(QTableView *view, RecordList *list);

} // namespace tavro
