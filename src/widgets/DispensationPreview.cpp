#include "widgets/DispensationPreview.h"

#include "reports/DispensationListing.h"

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
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&report](QPrinter *target) { report.render(*target); });
    preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
    preview.exec();
}

} // namespace tavro
