#include "service/MessageType.h"

namespace tavro {

MessageType::MessageType(QString name, std::vector<MessageField> fields)
    : m_name(std::move(name))
    , m_fields(std::move(fields))
{
}

const MessageField *MessageType::field(QStringView element) const
{
    // A type has at most a score of fields: comparing names in place beats hashing a copy.
    for (const MessageField &field : m_fields) {
        if (field.element == element)
            return &field;
    }
    return nullptr;
}

} // namespace tavro
