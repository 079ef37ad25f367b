#include "widgets/TMyBoundLabel.h"

#include "widgets/TPersonEdit.h"

namespace tavro {

TMyBoundLabel::TMyBoundLabel(TPersonEdit *field)
    : QLabel(field->parentWidget())
    , m_field(field)
{
    setObjectName(QStringLiteral("SubLabel"));
    setBuddy(field);
}

void TMyBoundLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    if (m_field)
        m_field->placeLabel();
}

} // namespace tavro
