#include "speech/keyboard_echo.h"

#include "speech/speaking_component.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBoundaryFinder>
#include <QTextEdit>

namespace lexivoce::speech {

QString CharacterWord(const TLocalStrings &words, QStringView character, const TSpeakingComponent *component)
{
    QString word = character.toString();
    if (character.size() == 1) {
        switch (character.front().unicode()) {
        case u'\t': word = words.stTab; break;
        case u'\r': case u'\n': case 0x2029: word = words.stNewLine; break;
        case u' ': word = words.stSpace; break;
        case u',': word = words.stComma; break;
        case u'.': word = words.stDot; break;
        case u':': word = words.stColon; break;
        case u';': word = words.stSemicolon; break;
        case u'!': word = words.stExcMrk; break;
        case u'*': word = words.stAsterisk; break;
        case u'(': word = words.stLParenthesis; break;
        case u')': word = words.stRParenthesis; break;
        case u'-': word = words.stMinus; break;
        case u'\'': word = words.stApostrophe; break;
        case u'"': word = words.stQuotMrk; break;
        case u'?': word = words.stQuesMrk; break;
        case u'/': word = words.stSlash; break;
        case 0x00A2: word = words.stCent; break;
        case 0x00A3: word = words.stPound; break;
        case 0x00A5: word = words.stYen; break;
        case 0x00A7: word = words.stSection; break;
        case 0x00A9: word = words.stCopyright; break;
        case 0x00AE: word = words.stRegistered; break;
        case 0x00D7: word = words.stMultiplication; break;
        case 0x00F7: word = words.stDivision; break;
        default: break;
        }
    }
    if (component && component->OnSpeakSpecialItem)
        component->OnSpeakSpecialItem(const_cast<TSpeakingComponent *>(component), character.toString(), word);
    return word;
}

TUtterance CharacterUtterance(const TLocalStrings &words, QStringView character, QStringView voice,
                              QStringView wordVoice)
{
    TUtterance utterance;
    if (character.isEmpty())
        return utterance;
    const QString word = CharacterWord(words, character);
    if (word != character)
        return utterance.Add(word, wordVoice);
    const QChar first = character.front();
    if (first.isPunct() || first.isSymbol())
        return utterance.AddSpelled(character, voice);
    return utterance.Add(character, voice);
}

quint64 KeyIdentity(const QKeyEvent &event)
{
    // Scan codes and key codes kept apart, in case a platform gives both.
    if (event.nativeScanCode() != 0)
        return (quint64(1) << 32) | event.nativeScanCode();
    return quint64(quint32(event.key()));
}

QString KeyCharacter(const QKeyEvent &event)
{
    const QString text = event.text();
    // Control characters (Ctrl+letter, Esc, Enter) are not characters to echo.
    if (text.isEmpty() || text.front().unicode() < 32 || text.front().unicode() == 127)
        return QString();
    return text;
}

namespace {

bool isSeparator(QChar c)
{
    switch (c.unicode()) {
    case 0: case 9: case 10: case 13: case u' ': case u'"': case u'!': case u'#': case u'$': case u'%': case u'&':
    case u'\'': case u'(': case u')': case u'*': case u',': case u'.': case u':': case u';': case u'<': case u'>':
    case u'?': case u'[': case u']': case u'^': case u'{': case u'|': case u'}': case 0x2029:
        return true;
    default:
        return false;
    }
}

} // namespace

QString WordAtCaret(QStringView text, int caret)
{
    if (caret < 0 || caret > text.size())
        return QString();
    int start = caret;
    while (start > 0 && isSeparator(text[start - 1]))
        --start;
    int end = start;
    while (start > 0 && !isSeparator(text[start - 1]))
        --start;
    // The caret inside a word: the rest of the word after it counts too.
    if (caret > 0 && !isSeparator(text[caret - 1])) {
        end = caret;
        while (end < text.size() && !isSeparator(text[end]))
            ++end;
    }
    return text.sliced(start, end - start).toString();
}

QString WordAtCaret(const QWidget *control)
{
    if (const auto *edit = qobject_cast<const QLineEdit *>(control))
        return WordAtCaret(edit->text(), edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition());
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->lineEdit() ? WordAtCaret(combo->lineEdit()) : QString();
    if (const auto *edit = qobject_cast<const QTextEdit *>(control))
        return WordAtCaret(edit->toPlainText(), edit->textCursor().selectionStart());
    if (const auto *edit = qobject_cast<const QPlainTextEdit *>(control))
        return WordAtCaret(edit->toPlainText(), edit->textCursor().selectionStart());
    return QString();
}

QString GraphemeBefore(QStringView text, int position)
{
    if (position <= 0 || position > text.size())
        return QString();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.toString());
    finder.setPosition(position);
    const qsizetype start = finder.toPreviousBoundary();
    return start < 0 ? QString() : text.sliced(start, position - start).toString();
}

int NextGraphemeBoundary(QStringView text, int position)
{
    if (position < 0 || position >= text.size())
        return static_cast<int>(text.size());
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.toString());
    finder.setPosition(position);
    const qsizetype end = finder.toNextBoundary();
    return end < 0 ? static_cast<int>(text.size()) : static_cast<int>(end);
}

QString GraphemeAfter(QStringView text, int position)
{
    if (position < 0 || position >= text.size())
        return QString();
    return text.sliced(position, NextGraphemeBoundary(text, position) - position).toString();
}

} // namespace lexivoce::speech
