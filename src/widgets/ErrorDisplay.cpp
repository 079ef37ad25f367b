#include "widgets/ErrorDisplay.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace tavro {

namespace {

struct CurrentDisplay
{
    ErrorDisplay display;
    bool owned = false;
    QPointer<const QObject> owner;
};

CurrentDisplay &current()
{
    static CurrentDisplay display;
    return display;
}

} // namespace

void setErrorDisplay(ErrorDisplay display, const QObject *owner)
{
    current() = {std::move(display), owner != nullptr, owner};
}

void showError(QWidget *source, const QString &message)
{
    CurrentDisplay &c = current();
    if (c.owned && !c.owner)
        c = {};
    if (c.display) {
        c.display(source, message);
        return;
    }
    QMessageBox::critical(source ? source->window() : nullptr, QString(), message);
}

} // namespace tavro
