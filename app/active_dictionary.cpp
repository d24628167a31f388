#include "app/active_dictionary.h"

#include "dict/index_builder.h"

namespace lexivoce::app {

void TActiveDictionary::SetList(const QList<dict::TDictRecord> &offered)
{
    DictList.clear();
    for (const dict::TDictRecord &record : offered)
        DictList.append(TDictListEntry{record.Path, record.Voices(), record.Speed, record.Pitch, record.ReadPunc != 0});
}

const TDictListEntry *TActiveDictionary::Active() const
{
    if (ActiveDictIndex < 0 || ActiveDictIndex >= DictList.size())
        return nullptr;
    return &DictList.at(ActiveDictIndex);
}

QString TActiveDictionary::VoiceName(int which, const QStringList &installed) const
{
    const TDictListEntry *active = Active();
    if (!active)
        return QString();
    int index = which == 1 ? dict::FirstVoice(active->Voices) : dict::SecondVoice(active->Voices);
    if (index >= installed.size())
        index = 0;
    return installed.value(index);
}

void TActiveDictionary::Open(int n)
{
    if (n < 0 || n >= DictList.size())
        return;
    ActiveDictIndex = n;
    IndexFileName = dict::IndexFileName(DictList.at(n).Path);
    DictFile.Close();
    DictFile.Open(DictList.at(n).Path);
}

void TActiveDictionary::Close()
{
    DictFile.Close();
}

} // namespace lexivoce::app
