#include "widgets/ErrorDisplay.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace tavro {

namespace {

ErrorDisplay &current()
{
    static ErrorDisplay display;
    return display;
}

} // namespace

void setErrorDisplay(ErrorDisplay display)
{
    current() = std::move(display);
}

void showError(QWidget *source, const QString &message)
{
    if (current()) {
        current()(source, message);
        return;
    }
    QMessageBox::critical(source ? source->window() : nullptr, QApplication::applicationDisplayName(), message);
}

} // namespace tavro
