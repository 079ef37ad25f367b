#pragma once

#include <QString>

namespace tavro {

// The ends the system asks of a running program: SIGTERM (a logout, a shutdown, `systemctl
// stop`), SIGINT (Ctrl+C) and SIGHUP (its terminal closed). Once installed, the first of them
// only takes note: work under way stops between two batches or checks, as with "Parar", the
// database is closed as on any end, and the program exits with `exitCode()`. A second one
// ends the program at once, as the signal's default does.
//
// The database client's own answer to SIGINT and SIGTERM, shutting every attachment down
// under a program that goes on running, is refused where the database is attached.
namespace InterruptSignals {

void install();
// The signal received, or 0.
int received();
// 128 + the signal, as a shell reports a program the signal ended; 0 when none came.
int exitCode();
// Read end of a pipe that gets a byte on each signal, for an event loop to watch.
int notifierFd();
// Takes the bytes waiting in the pipe.
void drain();
// "Interrompido pelo sinal SIGTERM."
QString interruptedText();

} // namespace InterruptSignals

} // namespace tavro
