#include "service/SoapEnvelope.h"

#include "common/Error.h"
#include "service/ErrorHint.h"
#include "service/MessageXml.h"

namespace tavro {

QByteArray SoapEnvelope::write(const std::function<void(QXmlStreamWriter &)> &writeBody)
{
    QByteArray document;
    QXmlStreamWriter writer(&document);
    writer.writeStartDocument();
    writer.writeNamespace(Namespace, QStringLiteral("SOAP-ENV"));
    writer.writeNamespace(QStringLiteral("http://www.w3.org/2001/XMLSchema"), QStringLiteral("xsd"));
    writer.writeNamespace(MessageXml::SchemaInstanceNamespace, QStringLiteral("xsi"));
    writer.writeStartElement(Namespace, QStringLiteral("Envelope"));
    writer.writeStartElement(Namespace, QStringLiteral("Body"));
    writeBody(writer);
    writer.writeEndElement();
    writer.writeEndElement();
    writer.writeEndDocument();
    return document;
}

namespace {

QString faultString(QXmlStreamReader &reader)
{
    QString text;
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("faultstring"))
            text = reader.readElementText(QXmlStreamReader::IncludeChildElements);
        else
            reader.skipCurrentElement();
    }
    return text;
}

} // namespace

void SoapEnvelope::read(const QByteArray &answer, const std::function<void(QXmlStreamReader &)> &readBody)
{
    QXmlStreamReader reader(answer);
    if (!reader.readNextStartElement())
        throw Error(reader.hasError() ? reader.errorString() : QStringLiteral("Empty document"));
    if (reader.namespaceUri() != Namespace || reader.name() != QLatin1String("Envelope"))
        throw Error(QStringLiteral("DocumentElement %1:%2 expected, %3:%4 found")
                        .arg(Namespace, QStringLiteral("Envelope"), reader.namespaceUri().toString(),
                             reader.name().toString()));
    bool bodyFound = false;
    while (reader.readNextStartElement()) {
        if (reader.namespaceUri() != Namespace || reader.name() != QLatin1String("Body")) {
            reader.skipCurrentElement();
            continue;
        }
        bodyFound = true;
        if (reader.readNextStartElement()) {
            if (reader.namespaceUri() == Namespace && reader.name() == QLatin1String("Fault")) {
                const QString fault = faultString(reader);
                throw SoapFault(fault, faultHint(fault));
            }
            readBody(reader);
        }
        break;
    }
    if (reader.hasError())
        throw Error(reader.errorString());
    if (!bodyFound)
        throw Error(QStringLiteral("No SOAP-ENV:Body in the answer"));
}

} // namespace tavro
