#pragma once

#include "reports/ReportField.h"

#include <QColor>
#include <QList>

class QPainter;
class QPointF;

namespace tavro {

// A horizontal strip of a report page: a height, a background filling the whole
// printable width, and the text boxes on it.
class ReportBand
{
public:
    explicit ReportBand(double height = 0, QColor background = Qt::white);

    double height() const { return m_height; }
    QColor background() const { return m_background; }

    const QList<ReportField> &fields() const { return m_fields; }
    void addField(ReportField field) { m_fields.append(std::move(field)); }

    // Paints the band with its top left at `origin` (device pixels), `width` mm wide,
    // at `pixelsPerMm` of the painter's device.
    void paint(QPainter &painter, const QPointF &origin, double width, double pixelsPerMm) const;

private:
    double m_height;
    QColor m_background;
    QList<ReportField> m_fields;
};

} // namespace tavro
