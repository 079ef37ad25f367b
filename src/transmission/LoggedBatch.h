#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tavro {

// The service's answer to a batch, as its answer log holds it.
struct LoggedAnswer
{
    QString protocolo;
    QString data;
};

// The protocol of an accepted batch from an answer log ("<!--" + WSDL + "-->" + the
// answer's bytes); none when the log holds anything else: a fault, the answer of a
// follow-up query, an answer without a protocol number, or a message that cannot be read.
std::optional<LoggedAnswer> readAnswerLog(const QByteArray &log);

} // namespace tavro
