#pragma once

#include "lists/MovementLists.h"
#include "reports/BandedReport.h"

#include <QDateTime>
#include <QString>

class QPagedPaintDevice;

namespace tavro {

class Database;

// What the dispensation listing prints: the dispensation tab's search (unit code,
// period, status boxes, "Protoc. Selecionado" and the protocol box's text, which the
// heading repeats) and the two unit texts of the header (CNES and name).
struct DispensationReportInput
{
    ListSearch search;   // kind Dispensacoes
    QString cnes;        // PECodCNES
    QString nomeUnidade; // LNomeUnidade
};

// Refusal of "Imprimir" while the dispensation tab has no search whose rows it could print.
inline const QString NoDispensationSearchMessage = QStringLiteral("Pesquise as dispensações antes de imprimir.");

// "Exibindo:" followed by the ticked status boxes and the chosen protocol.
QString dispensationFilterLine(const ListSearch &search);

// Runs the dispensation list's own statement and parameters for the search and lays
// out the listing: the title band with the heading, one shaded detail band per row in
// the statement's order, the totals (dispensations, items, patients, then the quantity
// of each product by name), and on every page a footer with the print time and "Página
// X de Y". Database errors propagate as Error before anything is printed. The main
// transaction is restarted before the read and rolled back after it, as the list's own
// search does.
BandedReport buildDispensationListing(Database &db, const DispensationReportInput &input,
                                      const QDateTime &impressoEm = QDateTime::currentDateTime());

// Builds the listing and paints it on the device (a QPdfWriter for a PDF file, a
// QPrinter for the preview or a printer) as A4 landscape pages.
void printDispensationListing(Database &db, const DispensationReportInput &input, QPagedPaintDevice &device);

// Where the listing is saved unless the operator chooses otherwise: the user's documents
// folder (the home folder when there is none), in a file named by the unit's CNES and the
// period, so each month's listing keeps its own file
// ("Dispensacoes_2345678_2019-01-01_a_2019-01-31.pdf").
QString dispensationListingPath(const DispensationReportInput &input);

} // namespace tavro
