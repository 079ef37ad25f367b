#include "service/MessageType.h"

namespace tavro {

MessageType::MessageType(QString name, std::vector<MessageField> fields)
    : m_name(std::move(name))
    , m_fields(std::move(fields))
{
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_byElement.insert(m_fields[i].element, qsizetype(i));
}

const MessageField *MessageType::field(QStringView element) const
{
    const auto it = m_byElement.constFind(element.toString());
    return it == m_byElement.cend() ? nullptr : &m_fields[size_t(*it)];
}

} // namespace tavro
