#pragma once

#include <QLabel>
#include <QPointer>

namespace tavro {

class TPersonEdit;

// The caption label of a TPersonEdit, named "SubLabel". It is a sibling of its field
// (so it can sit outside the field's box) but belongs to it: the field creates and
// deletes it, and the label's accelerator moves the focus to the field. Whenever its
// size changes, for example with its text, it places itself beside the field again.
class TMyBoundLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TMyBoundLabel(TPersonEdit *field);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<TPersonEdit> m_field;
};

} // namespace tavro
