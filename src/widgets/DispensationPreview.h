#pragma once

#include <QString>

class QWidget;

namespace tavro {

class Database;
struct DispensationReportInput;

// Runs the dispensation listing's query and shows the listing in a print preview over
// most of the screen, the page fitted to the width, from which the operator prints it
// or saves it; the printer starts on PDF output. Database errors propagate as Error before any
// preview opens. Returns when the preview is closed: the PDF file the listing was printed to, or
// an empty text when it went to a printer or was not printed.
QString previewDispensationListing(QWidget *parent, Database &db, const DispensationReportInput &input);

} // namespace tavro
