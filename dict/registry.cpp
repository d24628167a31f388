#include "dict/registry.h"

#include "lang/ini_file.h"

namespace lexivoce::dict {

namespace {

const QString kPath = QStringLiteral("Path");
const QString kHidden = QStringLiteral("Hidden");
const QString kVoice1 = QStringLiteral("Voice1");
const QString kVoice2 = QStringLiteral("Voice2");
const QString kSpeed = QStringLiteral("Speed");
const QString kPitch = QStringLiteral("Pitch");
const QString kReadPunc = QStringLiteral("ReadPunc");

TDictRecord readRecord(const lang::TIniFile &ini, const QString &name)
{
    TDictRecord record;
    record.Name = name;
    record.Path = ini.ReadString(name, kPath, QString());
    record.Hidden = ini.ReadInteger(name, kHidden, 0);
    record.Voice1 = ini.ReadInteger(name, kVoice1, 0);
    record.Voice2 = ini.ReadInteger(name, kVoice2, 0);
    record.Speed = ini.ReadInteger(name, kSpeed, 0);
    record.Pitch = ini.ReadInteger(name, kPitch, 0);
    record.ReadPunc = ini.ReadInteger(name, kReadPunc, 0);
    return record;
}

} // namespace

QList<TDictRecord> ReadRegistry(const lang::TIniFile &ini)
{
    QList<TDictRecord> records;
    const QStringList names = ini.ReadSections();
    for (const QString &name : names)
        records.append(readRecord(ini, name));
    return records;
}

QList<TDictRecord> ReadOfferedDictionaries(const lang::TIniFile &ini)
{
    QList<TDictRecord> records;
    const QStringList names = ini.ReadSections();
    for (const QString &name : names) {
        // Hidden is looked at first: a hidden dictionary's other keys do not
        // matter to the menu.
        if (ini.ReadInteger(name, kHidden, 0) == 0)
            records.append(readRecord(ini, name));
    }
    return records;
}

void SaveDictionary(lang::TIniFile &ini, const TDictRecord &record,
                    const QString &oldName, bool existedAndChanged)
{
    if (existedAndChanged)
        ini.EraseSection(oldName);
    ini.WriteString(record.Name, kPath, record.Path);
    ini.WriteInteger(record.Name, kHidden, record.Hidden);
    ini.WriteInteger(record.Name, kVoice1, record.Voice1);
    ini.WriteInteger(record.Name, kVoice2, record.Voice2);
    ini.WriteInteger(record.Name, kSpeed, record.Speed);
    ini.WriteInteger(record.Name, kPitch, record.Pitch);
    ini.WriteInteger(record.Name, kReadPunc, record.ReadPunc);
}

void DeleteDictionary(lang::TIniFile &ini, const QString &name)
{
    ini.EraseSection(name);
}

void ResolveVoicesByName(lang::TIniFile &registry, const QStringList &voiceNames)
{
    const QStringList sections = registry.ReadSections();
    for (const QString &section : sections) {
        for (const QString &nameKey : {kVoice1NameKey, kVoice2NameKey}) {
            const QString positionKey = nameKey.chopped(4); // "Voice1"
            const QString voice = registry.ReadString(section, nameKey, QString());
            const qsizetype position = voice.isEmpty() ? -1 : voiceNames.indexOf(voice);
            if (position >= 0 && registry.ReadInteger(section, positionKey, -1) != position)
                registry.WriteInteger(section, positionKey, static_cast<int>(position));
        }
    }
}

} // namespace lexivoce::dict
