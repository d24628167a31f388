#pragma once

#include "dict/dict_file.h"
#include "dict/registry.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace lexivoce::app {

// One offered dictionary: its file and how its entries are spoken.
struct TDictListEntry
{
    QString Path;
    dict::VoicePair Voices = 0;
    int Speed = 0;    // slider positions 0..20
    int Pitch = 0;
    bool ReadPunc = false;
};

// The offered dictionaries, in Dictionary-menu order, and the one that is
// active: its position and name, its open text file and its index file.
// Each rule about them has its one place here: what counts as active, which
// voice reads it, how it is opened.
class TActiveDictionary
{
public:
    QList<TDictListEntry> DictList;
    int ActiveDictIndex = 0;
    // The display name the user picked last (kept in Lexivoce.config).
    QString ActiveDictName;
    QString IndexFileName;
    dict::TDictFile DictFile;

    // The offered dictionaries of a registry, in file order; nothing active.
    void SetList(const QList<dict::TDictRecord> &offered);

    // The active dictionary, or nullptr when none is (an empty list, or a
    // position outside it).
    const TDictListEntry *Active() const;

    // The name of the active dictionary's voice which (1: the head words'
    // language, 2: the explanations'), from the installed voices. A voice
    // removed since the dictionary was set up gives the first installed
    // voice rather than an error on every word; no active dictionary gives
    // "".
    QString VoiceName(int which, const QStringList &installed) const;

    // Makes dictionary n active: names its index file and opens its text
    // file (the old one closed). Throws the file's error when it cannot be
    // opened; n, the index file name and the closed file stand all the same,
    // so that the rest follows the menu. n outside the list changes nothing.
    void Open(int n);
    // Closes the text file; the list stays.
    void Close();
};

} // namespace lexivoce::app
