#include "app/InconsistencyTable.h"

#include "followup/InconsistencyRow.h"

#include <QHeaderView>

namespace tavro {

InconsistencyTable::InconsistencyTable(QWidget *parent)
    : QTableWidget(0, 6, parent)
{
    setObjectName(QStringLiteral("TBInconsistencias"));
    setHorizontalHeaderLabels({QStringLiteral("Protocolo"), QStringLiteral("Registro"), QStringLiteral("Produto"),
                               QStringLiteral("Paciente / Destino"), QStringLiteral("Código"),
                               QStringLiteral("Mensagem")});
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(0, 150);
    setColumnWidth(1, 90);
    setColumnWidth(2, 260);
    setColumnWidth(3, 200);
    setColumnWidth(4, 60);
}

void InconsistencyTable::append(const InconsistencyRow &row)
{
    const int at = rowCount();
    insertRow(at);
    const QString cells[] = {row.protocolo, row.registro, row.produto, row.pessoa, row.codigo, row.mensagem};
    for (int column = 0; column < 6; ++column)
        setItem(at, column, new QTableWidgetItem(cells[column]));
}

} // namespace tavro
