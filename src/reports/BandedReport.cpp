#include "reports/BandedReport.h"

#include "common/Error.h"

#include <QDir>
#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QStandardPaths>

namespace tavro {

namespace {

// Band heights are decimal millimetres; a page filled exactly must not spill its last
// band over by a rounding error.
constexpr double Tolerance = 0.001;

} // namespace

void BandedReport::setPageFooter(double height, PageFooter footer)
{
    m_footerHeight = height;
    m_pageFooter = std::move(footer);
}

ReportBand BandedReport::pageFooter(int page, int pageCount) const
{
    return m_pageFooter ? m_pageFooter(page, pageCount) : ReportBand(m_footerHeight);
}

QList<QList<BandedReport::Placement>> BandedReport::pages() const
{
    QList<QList<Placement>> pages(1);
    const double room = PrintableHeight - m_footerHeight;
    double y = 0;
    const auto place = [&](const ReportBand &band) {
        if (y > 0 && y + band.height() > room + Tolerance) {
            pages.append(QList<Placement>());
            y = 0;
        }
        pages.last().append(Placement{&band, y});
        y += band.height();
    };
    place(m_title);
    for (const ReportBand &band : m_details)
        place(band);
    for (const ReportBand &band : m_summaries)
        place(band);
    return pages;
}

QPageLayout BandedReport::pageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(Margin, Margin, Margin, Margin),
                       QPageLayout::Millimeter);
}

void BandedReport::render(QPagedPaintDevice &device) const
{
    // Text needs the font database of a QGuiApplication (a command line can run one on
    // the offscreen platform); without it Qt aborts the process at the first text.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw Error(QStringLiteral("O relatório precisa de uma QGuiApplication para desenhar textos."));
    device.setPageLayout(pageLayout());
    const QList<QList<Placement>> layout = pages();
    QPainter painter;
    if (!painter.begin(&device))
        throw Error(QStringLiteral("Não foi possível iniciar a impressão do relatório."));
    // The painter's origin is the top left corner inside the margins.
    const double pixelsPerMm = device.logicalDpiY() / 25.4;
    const int pageCount = int(layout.size());
    for (int p = 0; p < pageCount; ++p) {
        if (p > 0)
            device.newPage();
        for (const Placement &placement : layout.at(p))
            placement.band->paint(painter, QPointF(0, placement.top * pixelsPerMm), PrintableWidth, pixelsPerMm);
        if (m_pageFooter)
            pageFooter(p + 1, pageCount)
                .paint(painter, QPointF(0, (PrintableHeight - m_footerHeight) * pixelsPerMm), PrintableWidth,
                       pixelsPerMm);
    }
    painter.end();
}

QString documentsFilePath(const QString &fileName)
{
    // A desktop without a documents folder gets the file in the home folder rather than a
    // folder made for it.
    const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    return (documents.exists() ? documents : QDir::home()).filePath(fileName);
}

} // namespace tavro
