#pragma once

#include "speech/local_strings.h"
#include "speech/utterance.h"

#include <QString>

#include <functional>

namespace lexivoce::view {
class TStyledView;
}

namespace lexivoce::speech {

class TSpeakingComponent;

// Reads the entry view aloud through the entry speaking component, each
// piece in the voice of its group. Every reader works from the caret and
// selection at the time of the call and leaves them as they were.
class TEntryReader
{
public:
    // VoiceName(1) and VoiceName(2): the active dictionary's voices (empty
    // without a dictionary).
    using TVoiceNameFunction = std::function<QString(int which)>;
    using TTextFunction = std::function<QString()>;
    using TWordsFunction = std::function<TLocalStrings()>;

    // What the reader needs from the interface: the word said before a
    // one-character selection, the interface voice that says it, and the
    // screen reader's words for characters the engine would not voice.
    struct TInterface
    {
        TTextFunction SelectionWord;
        TTextFunction VoiceName;
        TWordsFunction Words;
    };

    TEntryReader(view::TStyledView *view, TSpeakingComponent *sp, TVoiceNameFunction voiceName,
                 TInterface interface = {});

    // The character after the caret (at an item's end: the next item's first).
    TUtterance CharacterUtterance() const;
    // The character the last Shift+arrow added to the selection.
    TUtterance SelectedCharacterUtterance() const;
    // The word at the caret.
    TUtterance WordUtterance() const;
    // The whole selection, in the voice of the item where it grew.
    TUtterance SelectionUtterance() const;

    void ReadCharacter() const { Speak(CharacterUtterance()); }
    void ReadSelectedCharacter() const { Speak(SelectedCharacterUtterance()); }
    void ReadWord() const { Speak(WordUtterance()); }
    void ReadSelection() const { Speak(SelectionUtterance()); }

    // The line at the caret, or the whole entry, as one utterance of voice
    // groups with a pause after each paragraph; empty when there is nothing
    // to read.
    TUtterance EntryTextUtterance(bool wholeEntry) const;
    void ReadEntryText(bool wholeEntry) const;

    // The item whose word the word reader reads at the caret, and that Enter
    // follows: in an idiom or example, whose words are one item each, the
    // word the caret stands before (the next item when the caret is at the
    // end of one, where moving by word leaves it); elsewhere the caret's
    // item. -1 without items.
    int WordItemAtCaret() const;

private:
    struct TPiece
    {
        int ItemNo = -1;
        int Offset = 0;
        QString Text; // the character
    };

    // The character at offset of itemNo, moving to the next item when the
    // offset lies past the end; an empty piece when there is none.
    TPiece CharacterAt(int itemNo, int offset) const;
    // Where a growing selection last grew.
    TPiece SelectedCharacter() const;
    // The voice of the item's group; empty for a transcription.
    QString ItemVoice(int itemNo) const;
    // text in the voice of the item's group (no voice for a transcription).
    TUtterance InItemVoice(int itemNo, const QString &text) const;
    // One character of an item, as a character is read.
    TUtterance ItemCharacter(const TPiece &piece) const;
    TUtterance WithSelectionWord(const TPiece &grown, const TUtterance &tagged) const;
    void Speak(const TUtterance &utterance) const;

    view::TStyledView *m_view;
    TSpeakingComponent *m_sp;
    TVoiceNameFunction m_voiceName;
    TInterface m_interface;
};

} // namespace lexivoce::speech
