#pragma once

class QTextStream;

namespace tavro {

class Database;
class RecordList;
class SoapClient;
struct SendRequest;

// transmitir: the transmit button's send over a list filled as `listar` fills it. Prints
// one line per run result on `out`, then the protocol data of the last accepted batch;
// the error tab's lines and the send's messages go to `err`. Exits 0 when the send
// ended with everything sent or used up its runs, 1 when it was aborted or when a run
// ended on a server text and rows are left to send.
int runTransmitVerb(Database &db, SoapClient &client, RecordList &list, const SendRequest &request, QTextStream &out,
                    QTextStream &err);

} // namespace tavro
