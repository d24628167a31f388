#include "speech/entry_reader.h"

#include "speech/keyboard_echo.h"
#include "speech/speaking_component.h"
#include "view/entry_styles.h"
#include "view/styled_view.h"

namespace lexivoce::speech {

namespace {

// Something to say: more than blanks and control characters.
bool isBlank(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() > 32)
            return false;
    }
    return true;
}

} // namespace

TEntryReader::TEntryReader(view::TStyledView *view, TSpeakingComponent *sp, TVoiceNameFunction voiceName,
                           TInterface interface)
    : m_view(view), m_sp(sp), m_voiceName(std::move(voiceName)), m_interface(std::move(interface))
{
}

void TEntryReader::Speak(const TUtterance &utterance) const
{
    if (!utterance.IsEmpty() && m_sp)
        m_sp->SpeakText(utterance);
}

QString TEntryReader::ItemVoice(int itemNo) const
{
    switch (view::VoiceGroupOf(m_view->ItemStyle(itemNo))) {
    case view::TVoiceGroup::First: return m_voiceName(1);
    case view::TVoiceGroup::Second: return m_voiceName(2);
    case view::TVoiceGroup::None: break;
    }
    return QString();
}

TUtterance TEntryReader::InItemVoice(int itemNo, const QString &text) const
{
    return TUtterance().Add(text, ItemVoice(itemNo));
}

TUtterance TEntryReader::ItemCharacter(const TPiece &piece) const
{
    const TLocalStrings words = m_interface.Words ? m_interface.Words() : DefaultLocalStrings();
    const QString interfaceVoice = m_interface.VoiceName ? m_interface.VoiceName() : QString();
    // Blanks and punctuation are named by the interface's words, in its voice.
    return speech::CharacterUtterance(words, piece.Text, ItemVoice(piece.ItemNo), interfaceVoice);
}

TEntryReader::TPiece TEntryReader::CharacterAt(int itemNo, int offset) const
{
    if (itemNo < 0 || itemNo >= m_view->ItemCount() || offset < 1)
        return {};
    QString text = m_view->ItemText(itemNo);
    if (offset > text.size()) {
        if (itemNo + 1 >= m_view->ItemCount())
            return {};
        ++itemNo;
        offset = 1;
        text = m_view->ItemText(itemNo);
    }
    if (text.isEmpty())
        return {};
    // One user-perceived character: a letter with its combining marks.
    const int next = m_view->NextGraphemeOffset(itemNo, offset);
    return TPiece{itemNo, offset, text.mid(offset - 1, qMax(1, next - offset))};
}

TUtterance TEntryReader::CharacterUtterance() const
{
    const view::TItemPos caret = m_view->Caret();
    const TPiece piece = CharacterAt(caret.ItemNo, caret.Offset);
    return piece.Text.isEmpty() ? TUtterance() : ItemCharacter(piece);
}

TEntryReader::TPiece TEntryReader::SelectedCharacter() const
{
    const auto [anchor, moving] = m_view->SelectionBounds();
    const view::TItemPos caret = m_view->Caret();
    const bool forwards = anchor.ItemNo < moving.ItemNo
                       || (anchor.ItemNo == moving.ItemNo && anchor.Offset < moving.Offset);
    const int offset = forwards ? m_view->PreviousGraphemeOffset(caret.ItemNo, caret.Offset) : caret.Offset;
    return CharacterAt(caret.ItemNo, offset);
}

TUtterance TEntryReader::WithSelectionWord(const TPiece &grown, const TUtterance &tagged) const
{
    // One character selected: exactly the one it grew by (a letter with its
    // combining marks counts as one, as the readers count it).
    if (!m_interface.SelectionWord || m_view->SelectedText() != grown.Text)
        return tagged;
    const QString voice = m_interface.VoiceName ? m_interface.VoiceName() : QString();
    return TUtterance().Add(m_interface.SelectionWord(), voice).Add(u" ", voice).Append(tagged);
}

TUtterance TEntryReader::SelectedCharacterUtterance() const
{
    const TPiece piece = SelectedCharacter();
    if (piece.Text.isEmpty())
        return TUtterance();
    return WithSelectionWord(piece, ItemCharacter(piece));
}

TUtterance TEntryReader::SelectionUtterance() const
{
    const TPiece piece = SelectedCharacter();
    const QString selected = m_view->SelectedText();
    if (piece.Text.isEmpty() || selected.isEmpty())
        return TUtterance();
    if (selected == piece.Text)
        return WithSelectionWord(piece, ItemCharacter(piece));
    return WithSelectionWord(piece, InItemVoice(piece.ItemNo, selected));
}

int TEntryReader::WordItemAtCaret() const
{
    const view::TItemPos caret = m_view->Caret();
    if (caret.ItemNo < 0 || caret.ItemNo >= m_view->ItemCount())
        return -1;
    const int style = m_view->ItemStyle(caret.ItemNo);
    const bool last = caret.ItemNo + 1 >= m_view->ItemCount();
    if (last || (!view::IsWordItemStyle(style) && style != view::kPictureStyle))
        return caret.ItemNo;
    const bool atEnd = caret.Offset > m_view->ItemText(caret.ItemNo).size();
    // After a bullet, or at the end of a word: the next word starts here.
    if ((style == view::kPictureStyle || atEnd) && view::IsWordItemStyle(m_view->ItemStyle(caret.ItemNo + 1)))
        return caret.ItemNo + 1;
    return caret.ItemNo;
}

TUtterance TEntryReader::WordUtterance() const
{
    const view::TItemPos caret = m_view->Caret();
    if (caret.ItemNo < 0)
        return TUtterance();
    const int style = m_view->ItemStyle(caret.ItemNo);
    const bool last = caret.ItemNo + 1 >= m_view->ItemCount();
    switch (style) {
    case view::tsPhonetic:
        return TUtterance();
    case view::tsHeadWord: {
        const QString word = last ? QString() : m_view->WordTextAtCaret().trimmed();
        return word.isEmpty() ? TUtterance() : TUtterance().Add(word, m_voiceName(1));
    }
    case view::tsIdiom:
    case view::tsExample:
    case view::kPictureStyle: {
        // Idioms and examples are one word per item.
        const int item = WordItemAtCaret();
        const QString word = view::IsWordItemStyle(m_view->ItemStyle(item)) ? m_view->ItemText(item).trimmed() : QString();
        return word.isEmpty() ? TUtterance() : TUtterance().Add(word, m_voiceName(1));
    }
    default: {
        const QString word = m_view->WordTextAtCaret().trimmed();
        return word.isEmpty() ? TUtterance() : TUtterance().Add(word, m_voiceName(2));
    }
    }
}

TUtterance TEntryReader::EntryTextUtterance(bool wholeEntry) const
{
    const auto [start, end] = wholeEntry ? m_view->DocumentBounds() : m_view->LineBoundsAtCaret();
    if (start == end || start.ItemNo < 0)
        return TUtterance();

    TUtterance utterance;
    view::TVoiceGroup current = view::TVoiceGroup::None;
    bool said = false;
    for (int item = start.ItemNo; item <= end.ItemNo; ++item) {
        const view::TVoiceGroup group = view::VoiceGroupOf(m_view->ItemStyle(item));
        if (group == view::TVoiceGroup::None)
            continue;
        QString text = m_view->ItemText(item);
        if (item == end.ItemNo)
            text.truncate(qMax(0, end.Offset - 1));
        if (item == start.ItemNo)
            text.remove(0, qMax(0, start.Offset - 1));
        // Senses and examples must not run together: each paragraph ends
        // with the engine's pause.
        if (said && m_view->Document()->StartsParagraph(item))
            utterance.AddPause();
        // Pictures and blank items add nothing to hear.
        if (isBlank(text))
            continue;
        const QString voice = m_voiceName(group == view::TVoiceGroup::First ? 1 : 2);
        utterance.Add(group == current ? u' ' + text : text, voice);
        current = group;
        said = true;
    }
    return said ? utterance.Trimmed() : TUtterance();
}

void TEntryReader::ReadEntryText(bool wholeEntry) const
{
    Speak(EntryTextUtterance(wholeEntry));
}

} // namespace lexivoce::speech
