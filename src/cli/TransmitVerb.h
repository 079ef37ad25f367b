#pragma once

#include <QString>

class QTextStream;

namespace tavro {

class RecordList;
class SoapClient;
class TransmissionKind;
struct CliSession;
struct TransmissionInput;

// transmitir: the transmit button's loop over a list filled as `listar` fills it. Prints
// one line per run result on `out`, then the protocol data of the last accepted batch;
// the error tab's lines and the loop's messages go to `err`. Exits 0 when the loop
// ended with everything sent or used up its runs, 1 when it was aborted or when a run
// ended on a server text and rows are left to send.
int runTransmitVerb(const CliSession &session, SoapClient &client, TransmissionKind &kind, RecordList &list,
                    TransmissionInput input, int vezes, QTextStream &out, QTextStream &err);

} // namespace tavro
