#pragma once

#include "service/MessageType.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace tavro {

// The one writer and the one reader of every message type.
//
// Writing: the top element is qualified with `namespaceUri` (prefix "tav", declared on
// it), everything below it is unqualified; fields in table order; an absent optional field is skipped; an empty
// required record is written as an empty element with xsi:nil="true"; a sequence gives
// one element per item and no wrapper. No type attributes are written.
//
// Reading: children are matched to fields by local name in any order, unknown children
// are ignored, a child with xsi:nil="true" sets the field's default (no record for a
// record field), enumerations match without regard to case (an empty text gives the
// first literal). An unknown enumeration text or an integer that is not one throws
// Error with the service binding's messages; so does XML that is not well formed.
class MessageXml
{
public:
    static inline const QString SchemaInstanceNamespace = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");

    static void write(QXmlStreamWriter &writer, const QString &namespaceUri, const QString &element,
                      const MessageType &type, const void *value);
    // Reads the element the reader stands on (its start tag already read) up to its end tag.
    static void read(QXmlStreamReader &reader, const MessageType &type, void *value);

    template <class T>
    static void write(QXmlStreamWriter &writer, const QString &namespaceUri, const QString &element, const T &value)
    {
        write(writer, namespaceUri, element, T::type(), &value);
    }

    template <class T>
    static void read(QXmlStreamReader &reader, T &value)
    {
        read(reader, T::type(), &value);
    }
};

} // namespace tavro
