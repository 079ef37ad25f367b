#include "reports/ReportBand.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <optional>

namespace tavro {

namespace {

// The layout names Arial. Debian ships no Arial; Liberation Sans (fonts-liberation)
// has Arial's metrics, so text widths and cuts fall where the layout expects them.
QFont reportFont(double pointSize, QPaintDevice *device)
{
    QFont font(QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPointSizeF(pointSize);
    return QFont(font, device);
}

} // namespace

ReportBand::ReportBand(double height, QColor background)
    : m_height(height)
    , m_background(std::move(background))
{
}

void ReportBand::paint(QPainter &painter, const QPointF &origin, double width, double pixelsPerMm) const
{
    const auto mm = [pixelsPerMm](double value) { return value * pixelsPerMm; };
    painter.fillRect(QRectF(origin, QSizeF(mm(width), mm(m_height))), m_background);
    // Fields of a band mostly share one size: the font and its metrics are made anew
    // only when the size changes.
    std::optional<double> size;
    QFont font;
    std::optional<QFontMetricsF> metrics;
    for (const ReportField &field : m_fields) {
        if (size != field.pointSize) {
            size = field.pointSize;
            font = reportFont(field.pointSize, painter.device());
            metrics.emplace(font, painter.device());
        }
        double left = origin.x() + mm(field.left);
        double boxWidth = mm(field.width);
        QString text = field.text;
        if (field.width <= 0) {
            boxWidth = metrics->horizontalAdvance(text);
            if (field.alignment & Qt::AlignRight)
                left -= boxWidth;
        } else {
            text = metrics->elidedText(text, Qt::ElideRight, boxWidth);
        }
        const QRectF box(left, origin.y() + mm(field.top), boxWidth, metrics->height());
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(box, int(field.alignment | Qt::AlignVCenter) | Qt::TextSingleLine, text);
    }
}

} // namespace tavro
