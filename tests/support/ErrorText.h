#pragma once

#include "common/Error.h"

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

} // namespace tavro::test
