#include "app/shipped_registry.h"

#include "lang/ini_file.h"

namespace lexivoce::app {

void ResolveShippedVoices(const QString &registryPath, const QStringList &voiceNames)
{
    lang::TIniFile registry(registryPath);
    const QStringList sections = registry.ReadSections();
    for (const QString &section : sections) {
        for (const char *key : {"Voice1", "Voice2"}) {
            const QString positionKey = QString::fromLatin1(key);
            const QString name = registry.ReadString(section, positionKey + QStringLiteral("Name"), QString());
            const qsizetype position = name.isEmpty() ? -1 : voiceNames.indexOf(name);
            if (position >= 0 && registry.ReadInteger(section, positionKey, -1) != position)
                registry.WriteInteger(section, positionKey, static_cast<int>(position));
        }
    }
}

} // namespace lexivoce::app
