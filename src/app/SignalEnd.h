#pragma once

class QApplication;

namespace tavro {

class TForm1;

// A signal asking the program to end (a logout, a shutdown, Ctrl+C, a closed terminal) stops
// the work under way as "Parar" does, answers an open box with its cancel, and ends the
// application with InterruptSignals::exitCode() once the window is idle; the form's end
// closes the database. Installs InterruptSignals.
void endOnSignals(QApplication &app, TForm1 &form);

} // namespace tavro
