#pragma once

#include "lang/error.h"

#include <QString>

#include <csignal>
#include <functional>

#include <sys/resource.h>

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

// The error of action while the kernel refuses writes that would make a
// file larger than maxBytes, as a full disk refuses them.
inline QString ErrorUnderFileSizeLimit(rlim_t maxBytes, const std::function<void()> &action)
{
    rlimit previous {};
    if (getrlimit(RLIMIT_FSIZE, &previous) != 0)
        return QStringLiteral("<the file size limit could not be read>");
    rlimit limited = previous;
    limited.rlim_cur = maxBytes;
    // The refused write then fails with EFBIG instead of ending the process.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0) {
        std::signal(SIGXFSZ, previousHandler);
        return QStringLiteral("<the file size limit could not be set>");
    }
    const QString error = ErrorOf(action);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    return error;
}

} // namespace lexivoce::test
