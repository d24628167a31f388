#include "dict/entry_renderer.h"

#include "dict/text.h"
#include "view/entry_styles.h"
#include "view/styled_document.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace lexivoce::dict {

using view::kContinuePara;

namespace {

// Counts what an entry gives the view against the bounds; once one would be
// crossed, nothing more is given.
class TBudget
{
public:
    // Whether one more item, starting a paragraph or not, fits.
    bool Take(bool newParagraph)
    {
        if (m_cut || m_items >= kMaxEntryItems || (newParagraph && m_paragraphs >= kMaxEntryParagraphs)) {
            m_cut = true;
            return false;
        }
        ++m_items;
        m_paragraphs += newParagraph ? 1 : 0;
        return true;
    }
    bool Exhausted() const { return m_cut; }

private:
    int m_items = 0;
    int m_paragraphs = 0;
    bool m_cut = false;
};

// The bytes of line up to its first run without a line-break opportunity
// that is longer than kMaxUnbreakableRun; the whole line when there is none
// (or its UTF-8 is malformed, which shows as an empty piece anyway).
qsizetype runBoundedLength(QByteArrayView line)
{
    if (line.size() <= kMaxUnbreakableRun)
        return line.size();
    const QString text = DecodeUtf8(line);
    if (text.isEmpty())
        return line.size();
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    qsizetype start = 0;
    qsizetype end = 0;
    for (;;) {
        end = breaks.toNextBoundary();
        if (end < 0)
            return line.size();
        if (end - start > kMaxUnbreakableRun)
            break;
        start = end;
    }
    // The bytes of the characters before the limit, never half a pair.
    qsizetype units = start + kMaxUnbreakableRun;
    if (text[units - 1].isHighSurrogate())
        --units;
    return text.first(units).toUtf8().size();
}

bool isSeparator(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// The line with its first byte made a blank, then trimmed.
QByteArrayView withoutMarker(QByteArrayView line)
{
    return TrimBytes(line.sliced(1));
}

// The words of text, each as an item continuing the paragraph; false when
// the budget ran out first.
bool addWords(view::TStyledDocument &document, const QString &text, int styleNo, TBudget &budget)
{
    const QStringList words = SplitWords(text);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (!budget.Take(false))
            return false;
        const bool last = i + 1 == words.size();
        document.AddText(last ? words[i] : words[i] + QLatin1Char(' '), styleNo, kContinuePara);
    }
    return true;
}

void renderLine(view::TStyledDocument &document, QByteArrayView line, TBudget &budget)
{
    const int c = std::max(0, MarkerIndex(line.front()));
    const int d = view::EntryParaStyleOf(c);
    switch (line.front()) {
    case '!':
        if (!budget.Take(true))
            return;
        document.AddPicture(view::bulletIdiom, d);
        addWords(document, DecodeUtf8(withoutMarker(line)), c, budget);
        return;
    case '=': {
        if (!budget.Take(true))
            return;
        document.AddPicture(view::bulletExample, d);
        const qsizetype plus = line.indexOf('+');
        const QByteArrayView example = plus < 0 ? line : line.first(plus);
        const QByteArrayView translation = plus < 0 ? QByteArrayView() : line.sliced(plus + 1);
        if (!addWords(document, DecodeUtf8(withoutMarker(example)), c, budget) || !budget.Take(false))
            return;
        const QByteArray withColon = QByteArrayLiteral(": ") + TrimBytes(translation).toByteArray();
        document.AddText(DecodeUtf8(withColon), view::tsTranslation, kContinuePara);
        return;
    }
    case '@': {
        qsizetype split = line.indexOf('/');
        if (split < 0)
            split = line.indexOf('[');
        if (split < 0)
            break;
        if (!budget.Take(true))
            return;
        const QByteArray headWord = withoutMarker(line.first(split)).toByteArray() + ' ';
        document.AddText(DecodeUtf8(headWord), c, d);
        if (budget.Take(false))
            document.AddText(DecodeUtf8(TrimBytes(line.sliced(split))), view::tsPhonetic, kContinuePara);
        return;
    }
    default:
        break;
    }
    if (budget.Take(true))
        document.AddText(DecodeUtf8(withoutMarker(line)), c, d);
}

} // namespace

QStringList SplitWords(QStringView text)
{
    QStringList words;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isSeparator(text[i]))
        ++i;
    while (i < n && text[i].unicode() != 0) {
        QString word;
        if (text[i] == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (text[i] == QLatin1Char('"')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                        word += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                word += text[i++];
            }
        } else {
            const qsizetype start = i;
            while (i < n && text[i].unicode() > 32 && text[i] != QLatin1Char(','))
                ++i;
            word = text.sliced(start, i - start).toString();
        }
        words.append(word);
        while (i < n && isSeparator(text[i]))
            ++i;
        if (i < n && text[i] == QLatin1Char(',')) {
            if (i + 1 == n)
                words.append(QString());
            do
                ++i;
            while (i < n && isSeparator(text[i]));
        }
    }
    return words;
}

bool RenderEntry(view::TStyledDocument &document, QByteArrayView entry)
{
    const qsizetype nul = entry.indexOf('\0');
    if (nul >= 0)
        entry = entry.first(nul);

    TBudget budget;
    bool runCut = false;
    qsizetype p = 0;
    const qsizetype n = entry.size();
    while (p < n && !budget.Exhausted()) {
        qsizetype end = p;
        while (end < n && entry[end] != '\r' && entry[end] != '\n')
            ++end;
        if (end > p) {
            QByteArrayView line = entry.sliced(p, end - p);
            const qsizetype bounded = runBoundedLength(line);
            runCut = runCut || bounded < line.size();
            renderLine(document, line.first(bounded), budget);
        }
        p = end + 1;
    }
    // The separating paragraph closes even a cut entry.
    document.AddText(QString(), view::tsHeadWord, view::psHeadWord);
    document.Format();
    return runCut || budget.Exhausted();
}

} // namespace lexivoce::dict
