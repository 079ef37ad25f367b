#pragma once

#include <QColor>

#include "reports/ReportBand.h"

#include <QList>
#include <QPageLayout>

#include <functional>

class QPagedPaintDevice;

namespace tavro {

// A banded page layout in millimetres: a title band printed once at the top of the
// first page, detail bands one below the other, summary bands closing the report, and
// a page footer at the bottom of every page. A band that does not fit in what is left
// of a page above its footer starts the next page. Pages are A4 landscape with 10 mm
// margins on every side.
class BandedReport
{
public:
    static constexpr double PageWidth = 297;
    static constexpr double PageHeight = 210;
    static constexpr double Margin = 10;
    static constexpr double PrintableWidth = PageWidth - 2 * Margin;
    static constexpr double PrintableHeight = PageHeight - 2 * Margin;

    // The bands and texts the program's reports share: a row's detail band with its text
    // centred in it, the page footer (which leaves the listing's pages room for exactly 44
    // rows), the totals, the title's and a row's point sizes, and their colours.
    static constexpr double DetailHeight = 4.2;
    static constexpr double DetailTop = 0.45;
    static constexpr double FooterHeight = 5.2;
    static constexpr double TotalsHeight = 8.4;
    static constexpr double TitlePoints = 10;
    static constexpr double DetailPoints = 8;
    static inline const QColor Silver{192, 192, 192};
    static inline const QColor White{255, 255, 255};

    // Where a band lands: its top in mm below the top margin of its page.
    struct Placement
    {
        const ReportBand *band;
        double top;
    };

    // Makes the footer of page `page` (from 1) of `pageCount`.
    using PageFooter = std::function<ReportBand(int page, int pageCount)>;

    void setTitle(ReportBand band) { m_title = std::move(band); }
    void addDetail(ReportBand band) { m_details.append(std::move(band)); }
    void addSummary(ReportBand band) { m_summaries.append(std::move(band)); }
    // Every footer is `height` mm high, whatever band `footer` makes.
    void setPageFooter(double height, PageFooter footer);

    const ReportBand &title() const { return m_title; }
    const QList<ReportBand> &details() const { return m_details; }
    const QList<ReportBand> &summaries() const { return m_summaries; }
    // An empty band when the report has no footer.
    ReportBand pageFooter(int page, int pageCount) const;

    // The title, detail and summary bands of each page in printing order, above the
    // footer's room. There is always at least one page.
    QList<QList<Placement>> pages() const;

    // Sets the device's page to A4 landscape with the report's margins and paints every
    // page on it. Needs a QGuiApplication (on the offscreen platform for a command line).
    // Throws Error when there is none or the device cannot be painted on.
    void render(QPagedPaintDevice &device) const;

    static QPageLayout pageLayout();

private:
    ReportBand m_title;
    QList<ReportBand> m_details;
    QList<ReportBand> m_summaries;
    double m_footerHeight = 0;
    PageFooter m_pageFooter;
};

// Where a printed report is saved unless the operator chooses otherwise: `fileName` in the
// user's documents folder, or in the home folder when there is none.
QString documentsFilePath(const QString &fileName);

} // namespace tavro
