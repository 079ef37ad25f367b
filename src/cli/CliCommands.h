#pragma once

class QTextStream;

namespace tavro {

struct CliOptions;
class RecordList;

// ExitPendente: `pendencias` found rows a send would refuse.
enum CliExit : int { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2, ExitPendente = 3 };

// Runs one command as the window would: opens the database named in config.ini,
// finds the unit, logs in and prints the list to `out`. Failures go to `err` with
// the window's own texts. config.ini is only read, never written.
int runCli(const CliOptions &options, QTextStream &out, QTextStream &err);

// A list as the command line prints it: a line of column captions, then one line per
// row, cells separated by tabulations.
void writeList(const RecordList &list, QTextStream &out);

} // namespace tavro
