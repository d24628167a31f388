#pragma once

#include "speech/local_strings.h"
#include "speech/utterance.h"

#include <QString>
#include <QStringView>

class QKeyEvent;
class QWidget;

namespace lexivoce::speech {

class TSpeakingComponent;

// The word said for a character moved over or erased: the table's word for
// tab, line break, space and the punctuation and signs it names; any other
// character stands for itself. With a component whose OnSpeakSpecialItem is
// set, the handler may change the word.
QString CharacterWord(const TLocalStrings &words, QStringView character,
                      const TSpeakingComponent *component = nullptr);

// One character as the screen reader reads it: the table's word where it
// has one, in wordVoice (the words are the interface's); other punctuation
// and signs named by the engine, which would otherwise skip them; anything
// else, a letter or digit, in voice. An empty voice is the speaker's
// current one. Never silence for a character the user reached, unless the
// language file left its word empty.
TUtterance CharacterUtterance(const TLocalStrings &words, QStringView character, QStringView voice = {},
                              QStringView wordVoice = {});

// The key's character, as the key event carries it (empty for keys without
// text).
QString KeyCharacter(const QKeyEvent &event);

// What tells a key's release from other keys' and matches it to its press:
// the hardware key where the platform gives it (a release may carry another
// key code than its press when Shift was let go first), else the key code.
quint64 KeyIdentity(const QKeyEvent &event);

// The word at or before position caret of text: separators before the caret
// are skipped, then word characters gathered back to a separator; when the
// character before the caret belongs to a word, the word goes on forwards
// from the caret.
// Separators: NUL, tab, line breaks, blank, " ! # $ % & ' ( ) * , . : ; < >
// ? [ ] ^ { | }; everything else (letters, digits, - / _ and all non-ASCII)
// belongs to words.
QString WordAtCaret(QStringView text, int caret);

// The same for an edit field, combo box or item view's editor; empty for
// other widgets.
QString WordAtCaret(const QWidget *control);

// The character (grapheme) that ends at / starts at position of text; empty
// when there is none. Decomposed letters are one character.
QString GraphemeBefore(QStringView text, int position);
QString GraphemeAfter(QStringView text, int position);
// Position of the grapheme boundary after position (text size at the end).
int NextGraphemeBoundary(QStringView text, int position);

} // namespace lexivoce::speech
