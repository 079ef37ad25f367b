#pragma once

#include "common/Error.h"
#include "service/ErrorHint.h"

#include <QString>

#include <functional>

namespace tavro::test {

// The message of the Error that `action` throws, or "<no error>".
inline QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &error) {
        return error.message();
    }
    return QStringLiteral("<no error>");
}

// The same, followed by the error's hint for the operator on a line of its own when it has one.
inline QString errorWithHintOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &error) {
        return withHint(error.message(), error.hint());
    }
    return QStringLiteral("<no error>");
}

} // namespace tavro::test
