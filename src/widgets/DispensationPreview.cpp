#include "widgets/DispensationPreview.h"

#include "common/Error.h"
#include "reports/DispensationListing.h"
#include "widgets/ErrorDisplay.h"

#include <QDir>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace tavro {

void previewDispensationListing(QWidget *parent, Database &db, const DispensationReportInput &input)
{
    const BandedReport report = buildDispensationListing(db, input);

    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(BandedReport::pageLayout());
    printer.setDocName(QStringLiteral("Relação de Dispensações"));
    // With a PDF output and a file name, the print dialog offers saving as PDF first;
    // the operator can still choose a printer there.
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir::home().filePath(QStringLiteral("RelacaoDispensacoes.pdf")));

    QPrintPreviewDialog preview(&printer, parent);
    // Painting runs inside the dialog's event handling, where no exception may escape:
    // a printer or file that cannot be opened is reported here.
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&report, &preview](QPrinter *target) {
        try {
            report.render(*target);
        } catch (const Error &error) {
            showError(&preview, error.message());
        }
    });
    preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
    preview.exec();
}

} // namespace tavro
