#pragma once

#include "sync/Pendencias.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace tavro {

// The registration list's window: the summary line, then the groups with their counts,
// each opening into its subjects and their rows. A double-click on a row asks for it to be
// opened in its movement tab; "Imprimir" and "Exportar" ask for the PDF and the CSV.
class PendenciasView : public QDialog
{
    Q_OBJECT

public:
    explicit PendenciasView(QWidget *parent = nullptr);

    void show(Pendencias pendencias);
    const Pendencias &pendencias() const { return m_pendencias; }

    QLabel *LPendenciasResumo;
    QTreeWidget *LVPendencias;
    QPushButton *BtnPendenciasImprimir;
    QPushButton *BtnPendenciasExportar;

Q_SIGNALS:
    void rowRequested(const tavro::PendenciaRow &row);
    void printRequested();
    void exportRequested();

private:
    Pendencias m_pendencias;
};

} // namespace tavro
