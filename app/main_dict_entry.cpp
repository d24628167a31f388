// The main window's entry view: its reading keys and following a word of an
// entry.
#include "app/main_dict.h"

#include "dict/word_list.h"
#include "lang/error.h"
#include "lang/messages.h"
#include "speech/entry_reader.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"
#include "speech/utterance.h"
#include "view/entry_styles.h"
#include "view/styled_view.h"

#include <QListWidget>

namespace lexivoce::app {

void TfrmMainDict::rvMeaningKeyUp(int key, Qt::KeyboardModifiers modifiers, bool atEdge)
{
    const Qt::KeyboardModifiers held = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (held == Qt::NoModifier)
            m_reader->ReadCharacter();
        else if (held == Qt::ShiftModifier)
            m_reader->ReadSelectedCharacter();
        else if (held == Qt::ControlModifier)
            m_reader->ReadWord();
        else if ((held & (Qt::ControlModifier | Qt::ShiftModifier)) == (Qt::ControlModifier | Qt::ShiftModifier))
            m_reader->ReadSelection();
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // At the top or the bottom the line would only be said again.
        if (atEdge)
            SpeakMessage(key == Qt::Key_Up ? lang::MSG23 : lang::MSG24);
        else
            m_reader->ReadEntryText(false);
        break;
    case Qt::Key_Home:
        if (held & Qt::ControlModifier)
            m_reader->ReadEntryText(true);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The word the user last heard, which the word reader chose.
        FollowItem(m_reader->WordItemAtCaret());
        break;
    default:
        break;
    }
}

void TfrmMainDict::FollowItem(int itemNo)
{
    if (itemNo < 0 || itemNo >= rvMeaning->ItemCount())
        return;
    QString text = rvMeaning->ItemText(itemNo).trimmed();
    switch (rvMeaning->ItemStyle(itemNo)) {
    case view::tsHeadWord: {
        if (!Dictionary.Active())
            return;
        speaker->SelectVoice(GetDictVoiceName(1));
        sp->SpeakText(speech::TUtterance(text));
        return;
    }
    case view::tsIdiom:
    case view::tsExample: {
        // One mark at each end at most: "(word)." keeps its parenthesis.
        if (!text.isEmpty() && QStringLiteral(".,?!)").contains(text.back()))
            text.chop(1);
        if (!text.isEmpty() && QStringLiteral("(.,?!").contains(text.front()))
            text.remove(0, 1);
        const int position = dict::FindExact(text, *WordList);
        if (position < 0) {
            ShowEntry(-1, false);
            return;
        }
        RecordLookup(text, WordList->Location(position));
        ClearEntryView();
        ShowEntry(position, false);
        return;
    }
    default:
        return;
    }
}

} // namespace lexivoce::app
