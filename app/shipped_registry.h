#pragma once

#include <QString>
#include <QStringList>

namespace lexivoce::app {

// The shipped registry gives each voice by name as well (Voice1Name,
// Voice2Name, which the program otherwise ignores): rewrites Voice1 and
// Voice2 of every section to the positions of those names in voiceNames.
// A name that is not installed leaves its position as it was. Throws
// lexivoce::Error when the file cannot be written.
void ResolveShippedVoices(const QString &registryPath, const QStringList &voiceNames);

} // namespace lexivoce::app
