#pragma once

#include "speech/local_strings.h"
#include "speech/utterance.h"

#include <QString>

class QTextEdit;

namespace lexivoce::dialogs {

// What the help window says of its page at the caret, as the entry view's
// reader does for an entry: the line as laid out on the screen, the
// character, the word, the whole page and the link. Every reader works from
// the caret and selection at the time of the call and leaves them as they
// were. Blanks, line ends and punctuation are said by the screen reader's
// words.
class THelpReader
{
public:
    explicit THelpReader(const QTextEdit *view) : m_view(view) {}

    // The screen reader's words to use; the English defaults until set.
    speech::TLocalStrings Words = speech::DefaultLocalStrings();

    // The line the caret is on, as wrapped in the view; the stNewLine word
    // for an empty line.
    speech::TUtterance LineUtterance() const;
    // The character after the caret; the stNewLine word at a paragraph's
    // end; empty at the end of the page.
    speech::TUtterance CharacterUtterance() const;
    // The word that starts at, or holds, the caret; a blank or a sign there
    // is read as a character.
    speech::TUtterance WordUtterance() const;
    // Every paragraph of the page from the top, a pause after each.
    speech::TUtterance PageUtterance() const;
    // The selected link's text followed by linkWord; empty when the
    // selection is not a link.
    speech::TUtterance LinkUtterance(const QString &linkWord) const;

    // The target of the link that is selected or that the caret stands
    // before; empty when there is none.
    QString LinkAtCaret() const;
    // Where the anchor named name (an id or <a name>) starts; -1 when the
    // page has none.
    int AnchorPosition(const QString &name) const;

private:
    speech::TUtterance Character(const QString &character) const;

    const QTextEdit *m_view;
};

} // namespace lexivoce::dialogs
