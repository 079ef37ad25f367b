#pragma once

#include <QKeyEvent>

namespace tavro {

// Enter from the main keyboard or the numeric keypad (whose Enter carries the keypad
// modifier), without Shift, Control or Alt.
inline bool isEnterKey(const QKeyEvent &key)
{
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

} // namespace tavro
