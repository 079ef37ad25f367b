#pragma once

#include "service/Enumerations.h"

#include <QString>

#include <functional>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

namespace tavro {

class MessageType;

enum class FieldKind { Text, Integer, Decimal, Enumeration, Record, Sequence };
enum class Occurs { Required, Optional, Many };

// A simple value as the writer and reader exchange it with a record: the text of a text
// or decimal field, a 64-bit integer, or the ordinal of an enumeration literal.
using ScalarValue = std::variant<QString, qint64, int>;

// One field of a message type: its element name, kind and occurrence, and access to the
// field inside a record handed over as an untyped pointer, so that one writer and one
// reader serve every type. Built by the factories below from a member pointer; a derived
// type reuses its base's table by building it for its own class.
struct MessageField
{
    QString element;
    FieldKind kind = FieldKind::Text;
    Occurs occurs = Occurs::Required;
    const QStringList *literals = nullptr;      // enumerations
    const MessageType &(*itemType)() = nullptr; // records and sequences
    // Simple fields: the value, or nothing for an absent optional field; assignment.
    std::function<std::optional<ScalarValue>(const void *)> get;
    std::function<void(void *, ScalarValue)> set;
    // Records: the record held or null; a fresh record put in place; no record.
    std::function<const void *(const void *)> record;
    std::function<void *(void *)> makeRecord;
    std::function<void(void *)> clearRecord;
    // Sequences: count, item, a fresh item appended.
    std::function<qsizetype(const void *)> count;
    std::function<const void *(const void *, qsizetype)> item;
    std::function<void *(void *)> append;
};

namespace fielddetail {

inline MessageField describe(const char *element, FieldKind kind, Occurs occurs)
{
    MessageField field;
    field.element = QString::fromLatin1(element);
    field.kind = kind;
    field.occurs = occurs;
    return field;
}

template <class M>
struct Optional : std::false_type
{
    using Value = M;
};
template <class V>
struct Optional<std::optional<V>> : std::true_type
{
    using Value = V;
};

template <class V>
ScalarValue toScalar(const V &value)
{
    if constexpr (std::is_enum_v<V>)
        return static_cast<int>(value);
    else
        return value;
}

template <class V>
V fromScalar(ScalarValue value)
{
    if constexpr (std::is_enum_v<V>)
        return static_cast<V>(std::get<int>(value));
    else
        return std::get<V>(std::move(value));
}

// T is the record class the table is built for, C the class that declares the member
// (T itself or one of its bases).
template <class T, class C, class M>
MessageField simple(const char *element, FieldKind kind, M C::*member)
{
    static_assert(std::is_base_of_v<C, T>);
    using Opt = Optional<M>;
    using V = typename Opt::Value;
    MessageField field = describe(element, kind, Opt::value ? Occurs::Optional : Occurs::Required);
    if constexpr (std::is_enum_v<V>)
        field.literals = &literalsOf<V>();
    field.get = [member](const void *record) -> std::optional<ScalarValue> {
        const M &value = static_cast<const T *>(record)->*member;
        if constexpr (Opt::value) {
            if (!value)
                return std::nullopt;
            return toScalar(*value);
        } else {
            return toScalar(value);
        }
    };
    field.set = [member](void *record, ScalarValue value) {
        static_cast<T *>(record)->*member = fromScalar<V>(std::move(value));
    };
    return field;
}

} // namespace fielddetail

template <class T, class C, class M>
MessageField text(const char *element, M C::*member)
{
    static_assert(std::is_same_v<typename fielddetail::Optional<M>::Value, QString>);
    return fielddetail::simple<T>(element, FieldKind::Text, member);
}

// A decimal is held as its decimal text and travels unchanged.
template <class T, class C, class M>
MessageField decimal(const char *element, M C::*member)
{
    static_assert(std::is_same_v<typename fielddetail::Optional<M>::Value, QString>);
    return fielddetail::simple<T>(element, FieldKind::Decimal, member);
}

template <class T, class C, class M>
MessageField integer(const char *element, M C::*member)
{
    static_assert(std::is_same_v<typename fielddetail::Optional<M>::Value, qint64>);
    return fielddetail::simple<T>(element, FieldKind::Integer, member);
}

template <class T, class C, class M>
MessageField enumeration(const char *element, M C::*member)
{
    static_assert(std::is_enum_v<typename fielddetail::Optional<M>::Value>);
    return fielddetail::simple<T>(element, FieldKind::Enumeration, member);
}

// A nested record. Both a required and an optional record may hold no record; only the
// occurrence tells the writer whether that is written as nil or skipped.
template <class T, class C, class R>
MessageField record(const char *element, Occurs occurs, std::optional<R> C::*member)
{
    static_assert(std::is_base_of_v<C, T>);
    MessageField field = fielddetail::describe(element, FieldKind::Record, occurs);
    field.itemType = &R::type;
    field.record = [member](const void *record) -> const void * {
        const std::optional<R> &value = static_cast<const T *>(record)->*member;
        return value ? &*value : nullptr;
    };
    field.makeRecord = [member](void *record) -> void * { return &(static_cast<T *>(record)->*member).emplace(); };
    field.clearRecord = [member](void *record) { (static_cast<T *>(record)->*member).reset(); };
    return field;
}

template <class T, class C, class R>
MessageField sequence(const char *element, std::vector<R> C::*member)
{
    static_assert(std::is_base_of_v<C, T>);
    MessageField field = fielddetail::describe(element, FieldKind::Sequence, Occurs::Many);
    field.itemType = &R::type;
    field.count = [member](const void *record) -> qsizetype {
        return qsizetype((static_cast<const T *>(record)->*member).size());
    };
    field.item = [member](const void *record, qsizetype index) -> const void * {
        return &(static_cast<const T *>(record)->*member)[size_t(index)];
    };
    field.append = [member](void *record) -> void * { return &(static_cast<T *>(record)->*member).emplace_back(); };
    return field;
}

} // namespace tavro
