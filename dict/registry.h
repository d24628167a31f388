#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace lexivoce::lang { class TIniFile; }

namespace lexivoce::dict {

// A dictionary's two voices as positions in the installed-voice list: the
// first voice in the low 16 bits, the second in the high 16 bits.
using VoicePair = std::uint32_t;

constexpr VoicePair MakeVoicePair(int voice1, int voice2)
{
    return (static_cast<std::uint32_t>(voice1) & 0xFFFFu)
         | ((static_cast<std::uint32_t>(voice2) & 0xFFFFu) << 16);
}
constexpr int FirstVoice(VoicePair pair) { return static_cast<int>(pair & 0xFFFFu); }
constexpr int SecondVoice(VoicePair pair) { return static_cast<int>(pair >> 16); }

// One section of the dictionary registry, with the defaults of missing keys.
struct TDictRecord
{
    QString Name;       // section name = display name
    QString Path;       // dictionary text file, as the user gave it
    int Hidden = 0;     // 1: not offered in the Dictionary menu
    int Voice1 = 0;     // positions in the installed-voice list
    int Voice2 = 0;
    int Speed = 0;      // slider positions 0..20; the speaker gets value - 10
    int Pitch = 0;
    int ReadPunc = 0;   // 1: entry speech reads punctuation

    VoicePair Voices() const { return MakeVoicePair(Voice1, Voice2); }
    bool operator==(const TDictRecord &) const = default;
};

// The registry file name, relative to the current directory.
inline QString RegistryFileName() { return QStringLiteral("Lexivoce.ini"); }

// Every section in file order with its seven keys (missing keys read as their
// defaults). A missing file gives an empty list.
QList<TDictRecord> ReadRegistry(const lang::TIniFile &ini);

// Only the sections whose Hidden value is 0, in file order.
QList<TDictRecord> ReadOfferedDictionaries(const lang::TIniFile &ini);

// Saves one dictionary: when it existed before and was changed, its section
// is first erased under oldName; then the seven keys are written in order
// under record.Name (a new or erased section therefore lands at the end of the
// file). Throws lexivoce::Error("Unable to write to %s") on failure.
void SaveDictionary(lang::TIniFile &ini, const TDictRecord &record,
                    const QString &oldName = QString(), bool existedAndChanged = false);

// Erases the dictionary's section. Throws like SaveDictionary.
void DeleteDictionary(lang::TIniFile &ini, const QString &name);

// The keys that name a dictionary's voices as well as numbering them (the
// registry the program ships, and imported dictionaries, write them; the
// rest of the program reads only the numbers).
inline const QString kVoice1NameKey = QStringLiteral("Voice1Name");
inline const QString kVoice2NameKey = QStringLiteral("Voice2Name");

// Rewrites Voice1 and Voice2 of every section that names its voices to those
// names' positions in voiceNames: positions differ between espeak-ng
// versions, names do not. An uninstalled name leaves its position alone.
// Throws like SaveDictionary.
void ResolveVoicesByName(lang::TIniFile &registry, const QStringList &voiceNames);

} // namespace lexivoce::dict
