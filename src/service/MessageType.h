#pragma once

#include "service/MessageField.h"

namespace tavro {

// The description of one message type: its fields in wire order, the base type's first.
class MessageType
{
public:
    MessageType(QString name, std::vector<MessageField> fields);

    const QString &name() const { return m_name; }
    const std::vector<MessageField> &fields() const { return m_fields; }
    // The field written as `element`, or null.
    const MessageField *field(QStringView element) const;

private:
    QString m_name;
    std::vector<MessageField> m_fields;
};

} // namespace tavro
