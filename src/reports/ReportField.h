#pragma once

#include <QString>
#include <Qt>

namespace tavro {

// One text box of a band. Positions and sizes are millimetres from the band's top
// left. The box has no background of its own, so a shaded band stays one solid strip;
// a text longer than its box ends in "…" inside the box.
struct ReportField
{
    QString text;
    double left = 0;
    double top = 0;
    // 0: the box is exactly as wide as its text. A right-aligned box of width 0 ends
    // at `left` instead of starting there.
    double width = 0;
    double pointSize = 8;
    Qt::Alignment alignment = Qt::AlignLeft;
};

} // namespace tavro
