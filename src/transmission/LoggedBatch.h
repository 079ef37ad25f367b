#pragma once

#include "service/CallDelivery.h"

#include <QByteArray>
#include <QString>

namespace tavro {

// What the service answered to a batch, as its answer log holds it.
struct LoggedAnswer
{
    // ServiceAnswer only when the answer carries a protocol number; a fault; anything else
    // (the answer of another operation, an answer without a protocol, a page that is no
    // SOAP message) is Other.
    CallEvidence::Body body = CallEvidence::Body::Other;
    QString protocolo;
    QString data;
};

// Reads the answer's bytes (the message of an answer log, see parseAnswerLog).
LoggedAnswer readAnswerLog(const QByteArray &message);

} // namespace tavro
