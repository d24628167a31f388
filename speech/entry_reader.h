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
// piece wrapped in the voice of its group. VoiceName(1) and VoiceName(2)
// give the active dictionary's voices (empty without a dictionary).
class TEntryReader
{
public:
    using TVoiceNameFunction = std::function<QString(int which)>;

    TEntryReader(view::TStyledView *view, TSpeakingComponent *sp, TVoiceNameFunction voiceName);

    // The line at the caret, or the whole entry, as one utterance of voice
    // groups; empty when there is nothing to read. The caret stays where it
    // was and nothing stays selected.
    QString EntryTextUtterance(bool wholeEntry) const;
    void ReadEntryText(bool wholeEntry) const;

private:
    view::TStyledView *m_view;
    TSpeakingComponent *m_sp;
    TVoiceNameFunction m_voiceName;
};

} // namespace lexivoce::speech
