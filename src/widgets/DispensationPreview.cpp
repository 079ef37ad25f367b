#include "widgets/DispensationPreview.h"

#include "common/Error.h"
#include "reports/DispensationListing.h"
#include "widgets/ErrorDisplay.h"

#include <QAction>
#include <QGuiApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>

namespace tavro {

QString previewDispensationListing(QWidget *parent, Database &db, const DispensationReportInput &input)
{
    const BandedReport report = buildDispensationListing(db, input);

    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(BandedReport::pageLayout());
    printer.setDocName(QStringLiteral("Relação de Dispensações"));
    // With a PDF output and a file name, the print dialog offers saving as PDF first;
    // the operator can still choose a printer there.
    printer.setOutputFormat(QPrinter::PdfFormat);
    // Named by unit and period in the documents folder, so next month's listing does not
    // overwrite this one.
    printer.setOutputFileName(dispensationListingPath(input));

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
    // A desktop without a window manager ignores the maximised state, and the dialog
    // would open at its small default size: it takes most of the screen itself.
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        const QSize size(area.width() * 9 / 10, area.height() * 9 / 10);
        preview.setGeometry(QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size));
    }
    preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
    // The page fitted to the width reads line by line; a whole landscape page fitted
    // into the view is too small to read. Through the dialog's own action, so its
    // tool bar shows the mode in force.
    if (auto *fitWidth = preview.findChild<QAction *>(QStringLiteral("fitWidthAction")))
        fitWidth->trigger();
    else if (auto *pages = preview.findChild<QPrintPreviewWidget *>())
        pages->fitToWidth();
    // The dialog closes accepted once it printed.
    if (preview.exec() != QDialog::Accepted || printer.outputFormat() != QPrinter::PdfFormat)
        return QString();
    return printer.outputFileName();
}

} // namespace tavro
