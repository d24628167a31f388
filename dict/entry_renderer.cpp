#include "dict/entry_renderer.h"

#include "dict/text.h"
#include "view/styled_document.h"

#include <algorithm>

namespace lexivoce::dict {

using view::kContinuePara;

namespace {

bool isSeparator(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// The line with its first byte made a blank, then trimmed.
QByteArrayView withoutMarker(QByteArrayView line)
{
    return TrimBytes(line.sliced(1));
}

void addWords(view::TStyledDocument &document, const QString &text, int styleNo)
{
    const QStringList words = SplitWords(text);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const bool last = i + 1 == words.size();
        document.AddText(last ? words[i] : words[i] + QLatin1Char(' '), styleNo, kContinuePara);
    }
}

void renderLine(view::TStyledDocument &document, QByteArrayView line)
{
    const int c = std::max(0, MarkerIndex(line.front()));
    const int d = std::min(c, 4);
    switch (line.front()) {
    case '!':
        document.AddPicture(view::bulletIdiom, d);
        addWords(document, DecodeUtf8(withoutMarker(line)), c);
        return;
    case '=': {
        document.AddPicture(view::bulletExample, d);
        const qsizetype plus = line.indexOf('+');
        const QByteArrayView example = plus < 0 ? line : line.first(plus);
        const QByteArrayView translation = plus < 0 ? QByteArrayView() : line.sliced(plus + 1);
        addWords(document, DecodeUtf8(withoutMarker(example)), c);
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
        const QByteArray headWord = withoutMarker(line.first(split)).toByteArray() + ' ';
        document.AddText(DecodeUtf8(headWord), c, d);
        document.AddText(DecodeUtf8(TrimBytes(line.sliced(split))), view::tsPhonetic, kContinuePara);
        return;
    }
    default:
        break;
    }
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

void RenderEntry(view::TStyledDocument &document, QByteArrayView entry)
{
    const qsizetype nul = entry.indexOf('\0');
    if (nul >= 0)
        entry = entry.first(nul);

    qsizetype p = 0;
    const qsizetype n = entry.size();
    while (p < n) {
        qsizetype end = p;
        while (end < n && entry[end] != '\r' && entry[end] != '\n')
            ++end;
        if (end > p)
            renderLine(document, entry.sliced(p, end - p));
        p = end + 1;
    }
    document.AddText(QString(), view::tsHeadWord, view::psHeadWord);
    document.Format();
}

} // namespace lexivoce::dict
