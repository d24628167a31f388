#include "app/shipped_registry.h"

#include "dict/registry.h"
#include "lang/ini_file.h"

namespace lexivoce::app {

void ResolveShippedVoices(const QString &registryPath, const QStringList &voiceNames)
{
    lang::TIniFile registry(registryPath);
    dict::ResolveVoicesByName(registry, voiceNames);
}

} // namespace lexivoce::app
