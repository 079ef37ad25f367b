#pragma once

class QTextStream;

namespace tavro {

struct CliOptions;
struct CliSession;

// processamento, inconsistencia and verificar: the protocol tab's checks on the
// protocol list loaded with the options' filters. Prints the checks' text lines, then
// the reloaded list. A protocol the list does not show, a provisional one, or one whose
// inconsistencies may not be checked yet, is refused with the tab's message; a single check that
// fails exits with failure after printing what it wrote.
int runFollowupVerb(const CliSession &session, const CliOptions &options, QTextStream &out, QTextStream &err);

} // namespace tavro
