#include "dict/import_register.h"

#include "lang/error.h"
#include "lang/ini_file.h"

namespace lexivoce::dict {

namespace {


// The middle of the 0..20 sliders: the speaker's own rate and pitch.
constexpr int kMiddleSlider = 10;

} // namespace

int VoicePosition(const QStringList &voiceNames, const QString &name)
{
    const qsizetype exact = voiceNames.indexOf(name);
    if (exact >= 0)
        return static_cast<int>(exact);
    const QString language = name.section(QStringLiteral(" ("), 0, 0);
    for (qsizetype i = 0; i < voiceNames.size(); ++i) {
        if (voiceNames[i].section(QStringLiteral(" ("), 0, 0) == language)
            return static_cast<int>(i);
    }
    return 0;
}

void RefuseRegisteredName(const lang::TIniFile &registry, const QString &name)
{
    if (registry.SectionExists(name))
        throw Error(QStringLiteral("The registry \"%1\" already has a dictionary called \"%2\"; give another "
                                   "name with --name.")
                        .arg(registry.FileName(), name));
}

void RegisterImported(lang::TIniFile &registry, const QString &name, const QString &dictPath,
                      const QStringList &voiceNames)
{
    RefuseRegisteredName(registry, name);
    TDictRecord record;
    record.Name = name;
    record.Path = dictPath;
    record.Voice1 = VoicePosition(voiceNames, kImportFirstVoice);
    record.Voice2 = VoicePosition(voiceNames, kImportSecondVoice);
    record.Speed = kMiddleSlider;
    record.Pitch = kMiddleSlider;
    SaveDictionary(registry, record);
    registry.WriteString(name, kVoice1NameKey, kImportFirstVoice);
    registry.WriteString(name, kVoice2NameKey, kImportSecondVoice);
}

} // namespace lexivoce::dict
