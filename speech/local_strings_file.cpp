#include "speech/local_strings_file.h"

#include "lang/ini_file.h"

namespace lexivoce::speech {

TLocalStrings LoadLocalStrings(const QString &languageFile)
{
    const lang::TIniFile file(languageFile);
    const QString section = QStringLiteral("LocalStrings");
    TLocalStrings words;
    for (const char *key : LocalStringReadOrder())
        words.*LocalStringField(key) = file.ReadString(section, QString::fromLatin1(key), QString());
    return words;
}

} // namespace lexivoce::speech
