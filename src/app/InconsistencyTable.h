#pragma once

#include <QTableWidget>

namespace tavro {

struct InconsistencyRow;

// The follow-up's inconsistencies as a table, one row each, beside the text output.
class InconsistencyTable : public QTableWidget
{
    Q_OBJECT

public:
    explicit InconsistencyTable(QWidget *parent = nullptr);

    void append(const InconsistencyRow &row);
    void clearRows() { setRowCount(0); }
};

} // namespace tavro
