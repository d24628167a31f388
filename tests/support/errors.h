#pragma once

#include "lang/error.h"

#include <QString>

#include <functional>

namespace lexivoce::test {

// The message of the lexivoce::Error thrown by action, or a note that none was.
inline QString ErrorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &error) {
        return error.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace lexivoce::test
