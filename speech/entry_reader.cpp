#include "speech/entry_reader.h"

#include "speech/markup.h"
#include "speech/speaking_component.h"
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

TVoiceGroup VoiceGroupOf(int style)
{
    switch (style) {
    case view::tsHeadWord:
    case view::tsIdiom:
    case view::tsExample:
        return TVoiceGroup::First;
    case view::tsPhonetic:
        return TVoiceGroup::None;
    default:
        return TVoiceGroup::Second;
    }
}

TEntryReader::TEntryReader(view::TStyledView *view, TSpeakingComponent *sp, TVoiceNameFunction voiceName,
                           TTextFunction selectionWord, TTextFunction interfaceVoiceName)
    : m_view(view), m_sp(sp), m_voiceName(std::move(voiceName)), m_selectionWord(std::move(selectionWord)),
      m_interfaceVoiceName(std::move(interfaceVoiceName))
{
}

void TEntryReader::Speak(const QString &utterance) const
{
    if (!utterance.isEmpty() && m_sp)
        m_sp->SpeakText(utterance);
}

QString TEntryReader::InItemVoice(int itemNo, const QString &text) const
{
    switch (VoiceGroupOf(m_view->ItemStyle(itemNo))) {
    case TVoiceGroup::First: return VoiceTagged(m_voiceName(1), text);
    case TVoiceGroup::Second: return VoiceTagged(m_voiceName(2), text);
    case TVoiceGroup::None: break;
    }
    return EscapeMarkup(text);
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

QString TEntryReader::CharacterUtterance() const
{
    const view::TItemPos caret = m_view->Caret();
    const TPiece piece = CharacterAt(caret.ItemNo, caret.Offset);
    return piece.Text.isEmpty() ? QString() : InItemVoice(piece.ItemNo, piece.Text);
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

QString TEntryReader::WithSelectionWord(const TPiece &grown, const QString &tagged) const
{
    // One character selected: exactly the one it grew by (a letter with its
    // combining marks counts as one, as the readers count it).
    if (!m_selectionWord || m_view->SelectedText() != grown.Text)
        return tagged;
    const QString voice = m_interfaceVoiceName ? m_interfaceVoiceName() : QString();
    return VoiceTagged(voice, m_selectionWord()) + u' ' + tagged;
}

QString TEntryReader::SelectedCharacterUtterance() const
{
    const TPiece piece = SelectedCharacter();
    if (piece.Text.isEmpty())
        return QString();
    return WithSelectionWord(piece, InItemVoice(piece.ItemNo, piece.Text));
}

QString TEntryReader::SelectionUtterance() const
{
    const TPiece piece = SelectedCharacter();
    const QString selected = m_view->SelectedText();
    if (piece.Text.isEmpty() || selected.isEmpty())
        return QString();
    return WithSelectionWord(piece, InItemVoice(piece.ItemNo, selected));
}

QString TEntryReader::WordUtterance() const
{
    const view::TItemPos caret = m_view->Caret();
    if (caret.ItemNo < 0)
        return QString();
    const int style = m_view->ItemStyle(caret.ItemNo);
    const bool last = caret.ItemNo + 1 >= m_view->ItemCount();
    const auto wordAtCaret = [this, caret] {
        m_view->SelectWordAtCaret();
        const QString word = m_view->SelectedText().trimmed();
        m_view->Deselect(caret);
        return word;
    };
    switch (style) {
    case view::tsPhonetic:
        return QString();
    case view::tsHeadWord: {
        const QString word = last ? QString() : wordAtCaret();
        return word.isEmpty() ? QString() : VoiceTagged(m_voiceName(1), word);
    }
    case view::tsIdiom:
    case view::tsExample:
    case view::kPictureStyle: {
        if (last)
            return QString();
        // Idioms and examples are one word per item: the next item is the
        // word the caret has just reached.
        const int nextStyle = m_view->ItemStyle(caret.ItemNo + 1);
        const QString word = nextStyle == view::tsIdiom || nextStyle == view::tsExample
                               ? m_view->ItemText(caret.ItemNo + 1).trimmed()
                               : QString();
        return word.isEmpty() ? QString() : VoiceTagged(m_voiceName(1), word);
    }
    default: {
        const QString word = wordAtCaret();
        return word.isEmpty() ? QString() : VoiceTagged(m_voiceName(2), word);
    }
    }
}

QString TEntryReader::EntryTextUtterance(bool wholeEntry) const
{
    const view::TItemPos caret = m_view->Caret();
    if (wholeEntry)
        m_view->SelectAll();
    else
        m_view->SelectLineAtCaret();
    if (!m_view->HasSelection())
        return QString();
    const auto [start, end] = m_view->SelectionBoundsInOrder();
    m_view->Deselect(caret);

    QString utterance;
    TVoiceGroup current = TVoiceGroup::None;
    for (int item = start.ItemNo; item <= end.ItemNo; ++item) {
        const TVoiceGroup group = VoiceGroupOf(m_view->ItemStyle(item));
        if (group == TVoiceGroup::None)
            continue;
        QString text = m_view->ItemText(item);
        if (item == end.ItemNo)
            text.truncate(qMax(0, end.Offset - 1));
        if (item == start.ItemNo)
            text.remove(0, qMax(0, start.Offset - 1));
        if (group == current) {
            utterance += u' ' + EscapeMarkup(text);
        } else if (!isBlank(text)) {
            if (!utterance.isEmpty())
                utterance += QStringLiteral("</VOICE>");
            utterance += VoiceTagged(m_voiceName(group == TVoiceGroup::First ? 1 : 2), text, false);
            current = group;
        }
    }
    if (!utterance.isEmpty())
        utterance += QStringLiteral("</VOICE>");
    return utterance;
}

void TEntryReader::ReadEntryText(bool wholeEntry) const
{
    const QString utterance = EntryTextUtterance(wholeEntry);
    if (!utterance.isEmpty())
        m_sp->SpeakText(utterance);
}

} // namespace lexivoce::speech
