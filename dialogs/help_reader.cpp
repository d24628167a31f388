#include "dialogs/help_reader.h"

#include "speech/keyboard_echo.h"

#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace lexivoce::dialogs {

namespace {

// Text of the view as it is read: line breaks inside a paragraph are blanks,
// pictures are not read.
QString readable(QString text)
{
    text.replace(QChar::LineSeparator, u' ');
    text.replace(QChar::ParagraphSeparator, u' ');
    text.remove(QChar::ObjectReplacementCharacter);
    text.replace(QChar::Nbsp, u' ');
    return text;
}

bool hasWordCharacter(QStringView text)
{
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            return true;
    }
    return false;
}

} // namespace

speech::TUtterance THelpReader::Character(const QString &character) const
{
    // A line end is said as the Enter key's character is.
    if (character == QChar(QChar::LineSeparator) || character == QChar(QChar::ParagraphSeparator))
        return speech::CharacterUtterance(Words, u"\r");
    return speech::CharacterUtterance(Words, character);
}

speech::TUtterance THelpReader::LineUtterance() const
{
    QTextCursor line = m_view->textCursor();
    line.clearSelection();
    line.movePosition(QTextCursor::StartOfLine);
    line.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    const QString text = readable(line.selectedText()).trimmed();
    return speech::TUtterance(text.isEmpty() ? Words.stNewLine : text);
}

speech::TUtterance THelpReader::CharacterUtterance() const
{
    const QTextCursor caret = m_view->textCursor();
    const QTextBlock block = caret.block();
    const QString text = block.text();
    const int at = caret.positionInBlock();
    if (at < text.size())
        return Character(speech::GraphemeAfter(text, at));
    if (block.next().isValid())
        return Character(QString(QChar(QChar::ParagraphSeparator)));
    return {};
}

speech::TUtterance THelpReader::WordUtterance() const
{
    const QTextCursor caret = m_view->textCursor();
    const QString text = caret.block().text();
    const int at = caret.positionInBlock();
    if (at >= text.size())
        return CharacterUtterance();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Word, text);
    finder.setPosition(at);
    const qsizetype start = finder.isAtBoundary() ? at : finder.toPreviousBoundary();
    finder.setPosition(start);
    qsizetype end = finder.toNextBoundary();
    if (end < 0)
        end = text.size();
    const QString word = text.mid(start, end - start);
    if (!hasWordCharacter(word))
        return Character(speech::GraphemeAfter(text, at));
    return speech::TUtterance(readable(word));
}

speech::TUtterance THelpReader::PageUtterance() const
{
    speech::TUtterance page;
    for (QTextBlock block = m_view->document()->begin(); block.isValid(); block = block.next()) {
        const QString text = readable(block.text()).trimmed();
        if (text.isEmpty())
            continue;
        if (!page.IsEmpty())
            page.AddPause();
        page.Add(text);
    }
    return page;
}

speech::TUtterance THelpReader::LinkUtterance(const QString &linkWord) const
{
    const QTextCursor caret = m_view->textCursor();
    const QString target = LinkAtCaret();
    if (!caret.hasSelection() || target.isEmpty())
        return {};
    // A link without text (a picture) is said by its target.
    QString text = readable(caret.selectedText()).simplified();
    if (text.isEmpty())
        text = target;
    return speech::TUtterance(text).Add(u" ").Add(linkWord);
}

QString THelpReader::LinkAtCaret() const
{
    const QTextCursor caret = m_view->textCursor();
    const int at = caret.hasSelection() ? caret.selectionStart() : caret.position();
    const QTextBlock block = m_view->document()->findBlock(at);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.contains(at)) {
            const QTextCharFormat format = fragment.charFormat();
            return format.isAnchor() ? format.anchorHref() : QString();
        }
    }
    return QString();
}

int THelpReader::AnchorPosition(const QString &name) const
{
    if (name.isEmpty())
        return -1;
    for (QTextBlock block = m_view->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorNames().contains(name))
                return it.fragment().position();
        }
    }
    return -1;
}

} // namespace lexivoce::dialogs
