#include "app/interface_voice.h"

#include "lang/control_texts.h"
#include "lang/ini_file.h"
#include "speech/speakers.h"

#include <exception>

namespace lexivoce::app {

namespace {

using lang::LanguageSectionKeys;

QString key(const char *name)
{
    return QString::fromLatin1(name);
}

} // namespace

TInterfaceVoice ReadInterfaceVoice(const lang::TIniFile &file, const QString &missingVoice, int missingPosition)
{
    const QString section = key(LanguageSectionKeys::Section);
    TInterfaceVoice voice;
    voice.Name = file.ReadString(section, key(LanguageSectionKeys::Voice), missingVoice);
    voice.Pitch = file.ReadInteger(section, key(LanguageSectionKeys::Pitch), missingPosition);
    voice.Speed = file.ReadInteger(section, key(LanguageSectionKeys::Speed), missingPosition);
    return voice;
}

void ApplyInterfaceVoice(speech::TCustomSpeaker &speaker, const TInterfaceVoice &voice)
{
    std::exception_ptr missing;
    try {
        speaker.SelectVoice(voice.Name);
    } catch (...) {
        missing = std::current_exception();
    }
    speaker.SetPitch(speech::SpeakerValue(voice.Pitch));
    speaker.SetSpeed(speech::SpeakerValue(voice.Speed));
    if (missing)
        std::rethrow_exception(missing);
}

void WriteInterfaceVoice(lang::TIniFile &file, const TInterfaceVoice &voice)
{
    const QString section = key(LanguageSectionKeys::Section);
    file.WriteString(section, key(LanguageSectionKeys::Voice), voice.Name);
    file.WriteInteger(section, key(LanguageSectionKeys::Pitch), voice.Pitch);
    file.WriteInteger(section, key(LanguageSectionKeys::Speed), voice.Speed);
}

} // namespace lexivoce::app
