#pragma once

#include "dict/registry.h"

#include <QString>
#include <QStringList>

namespace lexivoce::lang { class TIniFile; }

namespace lexivoce::dict {

// The voices an imported dictionary is read with, as the shipped registry
// names them: head words in the English voice, the rest in the Vietnamese.
inline const QString kImportFirstVoice = QStringLiteral("English (Great Britain)");
inline const QString kImportSecondVoice = QStringLiteral("Vietnamese (Northern)");

// The position of the voice named name in voiceNames; else of the first
// whose name begins with the same language (the words before " ("); else 0.
int VoicePosition(const QStringList &voiceNames, const QString &name);

// Throws lexivoce::Error when the registry already has a dictionary called
// name, or cannot be read (see lang::TIniFile).
void RefuseRegisteredName(const lang::TIniFile &registry, const QString &name);

// Adds a shown dictionary called name, at dictPath, to the registry: voices
// kImportFirstVoice and kImportSecondVoice by position in voiceNames and by
// name (Voice1Name, Voice2Name, as in the shipped registry), speed and pitch
// in the middle of their sliders, punctuation not read. Refuses as
// RefuseRegisteredName does; throws lexivoce::Error when the registry
// cannot be written.
void RegisterImported(lang::TIniFile &registry, const QString &name, const QString &dictPath,
                      const QStringList &voiceNames);

} // namespace lexivoce::dict
