#include "service/MessageXml.h"

#include "common/Error.h"

namespace tavro {

namespace {

QString scalarText(const MessageField &field, const ScalarValue &value)
{
    switch (field.kind) {
    case FieldKind::Integer:
        return QString::number(std::get<qint64>(value));
    case FieldKind::Enumeration:
        return field.literals->at(std::get<int>(value));
    default:
        return std::get<QString>(value);
    }
}

ScalarValue scalarDefault(const MessageField &field)
{
    switch (field.kind) {
    case FieldKind::Integer:
        return qint64(0);
    case FieldKind::Enumeration:
        return 0;
    default:
        return QString();
    }
}

ScalarValue scalarFromText(const MessageField &field, const QString &text)
{
    switch (field.kind) {
    case FieldKind::Integer: {
        bool ok = false;
        const qint64 number = text.trimmed().toLongLong(&ok, 10);
        if (!ok)
            throw Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
        return number;
    }
    case FieldKind::Enumeration: {
        if (text.isEmpty())
            return 0;
        for (qsizetype i = 0; i < field.literals->size(); ++i) {
            if (field.literals->at(i).compare(text, Qt::CaseInsensitive) == 0)
                return int(i);
        }
        throw Error(QStringLiteral("Invalid property element: %1").arg(text));
    }
    default:
        return text;
    }
}

void writeFields(QXmlStreamWriter &writer, const MessageType &type, const void *value)
{
    for (const MessageField &field : type.fields()) {
        switch (field.kind) {
        case FieldKind::Record:
            if (const void *nested = field.record(value)) {
                writer.writeStartElement(field.element);
                writeFields(writer, field.itemType(), nested);
                writer.writeEndElement();
            } else if (field.occurs == Occurs::Required) {
                writer.writeEmptyElement(field.element);
                writer.writeAttribute(MessageXml::SchemaInstanceNamespace, QStringLiteral("nil"),
                                      QStringLiteral("true"));
            }
            break;
        case FieldKind::Sequence: {
            const MessageType &itemType = field.itemType();
            for (qsizetype i = 0, n = field.count(value); i < n; ++i) {
                writer.writeStartElement(field.element);
                writeFields(writer, itemType, field.item(value, i));
                writer.writeEndElement();
            }
            break;
        }
        default:
            if (const std::optional<ScalarValue> scalar = field.get(value))
                writer.writeTextElement(field.element, scalarText(field, *scalar));
        }
    }
}

bool isNil(const QXmlStreamReader &reader)
{
    const QStringView nil = reader.attributes().value(MessageXml::SchemaInstanceNamespace, QStringLiteral("nil"));
    return nil == QLatin1String("true") || nil == QLatin1String("1");
}

void readFields(QXmlStreamReader &reader, const MessageType &type, void *value)
{
    while (reader.readNextStartElement()) {
        const MessageField *field = type.field(reader.name());
        if (!field) {
            reader.skipCurrentElement();
            continue;
        }
        if (isNil(reader)) {
            if (field->kind == FieldKind::Record)
                field->clearRecord(value);
            else if (field->kind == FieldKind::Sequence)
                field->append(value);
            else
                field->set(value, scalarDefault(*field));
            reader.skipCurrentElement();
            continue;
        }
        switch (field->kind) {
        case FieldKind::Record:
            readFields(reader, field->itemType(), field->makeRecord(value));
            break;
        case FieldKind::Sequence:
            readFields(reader, field->itemType(), field->append(value));
            break;
        default:
            field->set(value, scalarFromText(*field, reader.readElementText(QXmlStreamReader::IncludeChildElements)));
        }
    }
}

} // namespace

void MessageXml::write(QXmlStreamWriter &writer, const QString &namespaceUri, const QString &element,
                       const MessageType &type, const void *value)
{
    // The one qualified element declares its own prefix, so the elements below it, written
    // without a prefix and with no default namespace in scope, stay unqualified.
    writer.writeStartElement(QStringLiteral("tav:") + element);
    writer.writeNamespace(namespaceUri, QStringLiteral("tav"));
    writeFields(writer, type, value);
    writer.writeEndElement();
}

void MessageXml::read(QXmlStreamReader &reader, const MessageType &type, void *value)
{
    readFields(reader, type, value);
    if (reader.hasError())
        throw Error(reader.errorString());
}

} // namespace tavro
