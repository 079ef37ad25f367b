#pragma once

#include <QString>

#include <functional>

class QObject;
class QWidget;

namespace tavro {

// Where the input components report a refused value or click: the application's
// general error display. By default a critical message box over the component's
// window; the application routes it to its own error box, a test records it.
using ErrorDisplay = std::function<void(QWidget *source, const QString &message)>;

// Replaces the display; an empty function restores the message box. A display given
// an owner is dropped with it: once the owner is destroyed the message box is back,
// so a display that captured a window never outlives that window.
void setErrorDisplay(ErrorDisplay display, const QObject *owner = nullptr);
void showError(QWidget *source, const QString &message);

} // namespace tavro
