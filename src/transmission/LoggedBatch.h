#pragma once

#include "transmission/StatusWrites.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavro {

// The service's answer to a batch, as its answer log holds it.
struct LoggedAnswer
{
    QString protocolo;
    QString data;
};

// A batch as its request log holds it: what its registry row and record marks need.
struct LoggedRequest
{
    QString tipo;
    RecordTable table = RecordTable::Conciliacao;
    QString cnes;            // the CNES of the batch's establishment
    QString protocoloAntigo; // the rectified protocol; empty for a new batch
    QStringList origens;     // each record's coRegistroOrigem, in the batch's order
};

// The protocol of an accepted batch from an answer log ("<!--" + WSDL + "-->" + the
// answer's bytes); none when the log holds anything else: a fault, the answer of a
// follow-up query, an answer without a protocol number, or a message that cannot be read.
std::optional<LoggedAnswer> readAnswerLog(const QByteArray &log);

// The batch a request log holds; throws Error when it is no batch request or cannot be read.
// An issue batch whose records all go out as "S-PA" is the dispensation without health
// card, which registers as "Dispensação".
LoggedRequest readRequestLog(const QByteArray &log);

} // namespace tavro
