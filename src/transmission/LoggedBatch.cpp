#include "transmission/LoggedBatch.h"

#include "common/Error.h"
#include "service/MessageXml.h"
#include "service/SoapEnvelope.h"
#include "service/TavroWS11.h"

namespace tavro {

namespace {

QByteArray messageOf(const QByteArray &log)
{
    if (!log.startsWith("<!--"))
        return log;
    const qsizetype end = log.indexOf("-->");
    return end < 0 ? log : log.mid(end + 3);
}

} // namespace

std::optional<LoggedAnswer> readAnswerLog(const QByteArray &log)
{
    std::optional<LoggedAnswer> answer;
    try {
        SoapEnvelope::read(messageOf(log), [&](QXmlStreamReader &reader) {
            ProtocoloRetificadoType read;
            if (reader.name() == QLatin1String("protocolo"))
                MessageXml::read(reader, static_cast<ProtocoloType &>(read));
            else if (reader.name() == QLatin1String("protocoloRetificado"))
                MessageXml::read(reader, read);
            if (!read.nuProtocoloEntrada.trimmed().isEmpty())
                answer = LoggedAnswer{read.nuProtocoloEntrada, read.dtRecebimento};
        });
    } catch (const Error &) {
        return std::nullopt;
    }
    return answer;
}

} // namespace tavro
