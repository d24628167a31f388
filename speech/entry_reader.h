#pragma once

#include <QString>

#include <functional>

namespace lexivoce::view {
class TStyledView;
}

namespace lexivoce::speech {

class TSpeakingComponent;

// Which of the dictionary's two voices reads an item of the entry view:
// the first (source language) for head words, idioms and examples, the
// second (target language) for everything else. Phonetic transcriptions
// have no voice of their own.
enum class TVoiceGroup { First, Second, None };

// The group of an item of the given style for the character, selection and
// line readers.
TVoiceGroup VoiceGroupOf(int style);

// Reads the entry view aloud through the entry speaking component, each
// piece wrapped in the voice of its group. Every reader works from the caret
// and selection at the time of the call and leaves them as they were.
class TEntryReader
{
public:
    // VoiceName(1) and VoiceName(2): the active dictionary's voices (empty
    // without a dictionary).
    using TVoiceNameFunction = std::function<QString(int which)>;
    // The word said before a one-character selection, and the interface
    // voice that says it.
    using TTextFunction = std::function<QString()>;

    TEntryReader(view::TStyledView *view, TSpeakingComponent *sp, TVoiceNameFunction voiceName,
                 TTextFunction selectionWord = {}, TTextFunction interfaceVoiceName = {});

    // The character after the caret (at an item's end: the next item's first).
    QString CharacterUtterance() const;
    // The character the last Shift+arrow added to the selection.
    QString SelectedCharacterUtterance() const;
    // The word at the caret.
    QString WordUtterance() const;
    // The whole selection, in the voice of the item where it grew.
    QString SelectionUtterance() const;

    void ReadCharacter() const { Speak(CharacterUtterance()); }
    void ReadSelectedCharacter() const { Speak(SelectedCharacterUtterance()); }
    void ReadWord() const { Speak(WordUtterance()); }
    void ReadSelection() const { Speak(SelectionUtterance()); }

    // The line at the caret, or the whole entry, as one utterance of voice
    // groups; empty when there is nothing to read. The caret stays where it
    // was and nothing stays selected.
    QString EntryTextUtterance(bool wholeEntry) const;
    void ReadEntryText(bool wholeEntry) const;

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
    // text in the voice of the item's group (no tag for a transcription).
    QString InItemVoice(int itemNo, const QString &text) const;
    QString WithSelectionWord(const TPiece &grown, const QString &tagged) const;
    void Speak(const QString &utterance) const;

    view::TStyledView *m_view;
    TSpeakingComponent *m_sp;
    TVoiceNameFunction m_voiceName;
    TTextFunction m_selectionWord;
    TTextFunction m_interfaceVoiceName;
};

} // namespace lexivoce::speech
