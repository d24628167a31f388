#pragma once

#include <QByteArray>

namespace lexivoce::test {

// True when tests/support/with_xserver started a private X server and DISPLAY
// still names it. Tests that press keys, take the clipboard or activate
// windows run only then: on a user's own desktop they would do all that to
// the user's session.
inline bool HasPrivateDisplay()
{
    const QByteArray display = qgetenv("DISPLAY");
    return !qEnvironmentVariableIsSet("LEXIVOCE_NO_X") && !display.isEmpty()
           && display == qgetenv("LEXIVOCE_TEST_DISPLAY");
}

} // namespace lexivoce::test
