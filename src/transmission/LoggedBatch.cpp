#include "transmission/LoggedBatch.h"

#include "common/Error.h"
#include "service/MessageXml.h"
#include "service/SoapEnvelope.h"
#include "service/TavroWS11.h"

namespace tavro {

LoggedAnswer readAnswerLog(const QByteArray &message)
{
    LoggedAnswer answer;
    try {
        SoapEnvelope::read(message, [&](QXmlStreamReader &reader) {
            ProtocoloRetificadoType read;
            if (reader.name() == QLatin1String("protocolo"))
                MessageXml::read(reader, static_cast<ProtocoloType &>(read));
            else if (reader.name() == QLatin1String("protocoloRetificado"))
                MessageXml::read(reader, read);
            if (!read.nuProtocoloEntrada.trimmed().isEmpty())
                answer = LoggedAnswer{CallEvidence::Body::ServiceAnswer, read.nuProtocoloEntrada, read.dtRecebimento};
        });
    } catch (const SoapFault &) {
        answer.body = CallEvidence::Body::Fault;
    } catch (const Error &) {
        answer = LoggedAnswer();
    }
    return answer;
}

} // namespace tavro
