#pragma once

#include "common/Error.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <functional>

namespace tavro {

// The service's own refusal: the faultstring of a SOAP Fault.
class SoapFault : public Error
{
public:
    using Error::Error;
};

// SOAP 1.1 envelopes as the service speaks them: prefix "SOAP-ENV" for the envelope,
// "xsd" and "xsi" declared on it, no Header, one Body.
class SoapEnvelope
{
public:
    static inline const QString Namespace = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");

    // The UTF-8 document whose Body holds what `writeBody` writes.
    static QByteArray write(const std::function<void(QXmlStreamWriter &)> &writeBody);

    // Reads an answer. A root that is not a SOAP envelope throws "DocumentElement %s:%s
    // expected, %s:%s found" (namespace and local name, expected then found); a Fault
    // throws SoapFault with its faultstring; otherwise `readBody` gets the reader on the start tag of
    // the Body's first element. A Body without any element leaves `readBody` uncalled.
    static void read(const QByteArray &answer, const std::function<void(QXmlStreamReader &)> &readBody);
};

} // namespace tavro
