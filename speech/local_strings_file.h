#pragma once

#include "speech/local_strings.h"

#include <QString>

namespace lexivoce::speech {

// The screen reader's words from section "LocalStrings" of a language file.
// Every word is replaced: a key the file lacks (or a missing file) gives an
// empty word, so a language is never half English. The file is only read;
// unlike the localizer this writes nothing back.
TLocalStrings LoadLocalStrings(const QString &languageFile);

} // namespace lexivoce::speech
