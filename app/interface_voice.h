#pragma once

#include "speech/slider_position.h"

#include <QString>

namespace lexivoce::lang {
class TIniFile;
}
namespace lexivoce::speech {
class TCustomSpeaker;
}

namespace lexivoce::app {

// The interface voice as a language file keeps it, in section "Language":
// the voice's name and its pitch and speed as slider positions 0..20.
struct TInterfaceVoice
{
    QString Name;
    int Pitch = speech::kMiddlePosition;
    int Speed = speech::kMiddlePosition;
};

// Where the defaults differ, and why: at start-up a missing pitch or speed
// is the middle position (the engine's own), so a new or hand-made language
// file speaks normally; a switch of language reads a missing one as 0, the
// lowest and slowest, as the language switch always has. Files the program
// writes hold both keys, so only a hand-made file ever meets the difference.
inline constexpr int kStartupMissingPosition = speech::kMiddlePosition;
inline constexpr int kSwitchMissingPosition = 0;

// The voice of file's section "Language"; missing keys give missingVoice and
// missingPosition. Throws the ini file's error when the file cannot be read.
TInterfaceVoice ReadInterfaceVoice(const lang::TIniFile &file, const QString &missingVoice, int missingPosition);

// Gives speaker the voice, then its pitch and speed. When no installed
// voice has the name, the pitch and speed are set all the same and the
// speaker's error is thrown after.
void ApplyInterfaceVoice(speech::TCustomSpeaker &speaker, const TInterfaceVoice &voice);

// Writes the voice into file's section "Language".
void WriteInterfaceVoice(lang::TIniFile &file, const TInterfaceVoice &voice);

} // namespace lexivoce::app
