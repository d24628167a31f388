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

TEntryReader::TEntryReader(view::TStyledView *view, TSpeakingComponent *sp, TVoiceNameFunction voiceName)
    : m_view(view), m_sp(sp), m_voiceName(std::move(voiceName))
{
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
