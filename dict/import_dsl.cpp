#include "dict/import_dsl.h"

#include "lang/error.h"

#include <QStringDecoder>

#include <vector>

namespace lexivoce::dict {

namespace {

// UTF-16LE without its byte-order mark: ASCII text has a zero in every other
// byte.
bool looksLikeUtf16Le(QByteArrayView bytes)
{
    const qsizetype pairs = std::min<qsizetype>(bytes.size() / 2, 2048);
    qsizetype highZeros = 0;
    qsizetype lowZeros = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        lowZeros += bytes[2 * i] == '\0';
        highZeros += bytes[2 * i + 1] == '\0';
    }
    return pairs > 0 && highZeros * 2 > pairs && lowZeros * 8 < pairs;
}

bool hasLoneSurrogate(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

QString decodeDsl(const QString &path, QByteArrayView bytes)
{
    auto encoding = QStringConverter::Utf8;
    if (bytes.startsWith("\xFF\xFE"))
        encoding = QStringConverter::Utf16LE;
    else if (bytes.startsWith("\xFE\xFF"))
        encoding = QStringConverter::Utf16BE;
    else if (!bytes.startsWith("\xEF\xBB\xBF") && looksLikeUtf16Le(bytes))
        encoding = QStringConverter::Utf16LE;
    if (encoding != QStringConverter::Utf8 && bytes.size() % 2 != 0)
        throw Error(SourceError(path, QStringLiteral("its UTF-16 text ends in the middle of a character")));
    // The decoder drops a leading byte-order mark.
    QStringDecoder decoder(encoding);
    QString text = decoder.decode(bytes);
    if (encoding == QStringConverter::Utf8 && decoder.hasError())
        throw Error(SourceError(path, QStringLiteral("its text is neither UTF-16 nor UTF-8; save it as Unicode "
                                                     "(UTF-16) first")));
    if (decoder.hasError() || hasLoneSurrogate(text))
        throw Error(SourceError(path, QStringLiteral("its UTF-16 text is damaged")));
    return text;
}

// text without its {{comments}}, which may span lines. An unclosed comment
// runs to the end.
QString withoutComments(const QString &text)
{
    qsizetype open = text.indexOf(QStringLiteral("{{"));
    if (open < 0)
        return text;
    QString kept;
    kept.reserve(text.size());
    qsizetype from = 0;
    while (open >= 0) {
        kept.append(QStringView(text).sliced(from, open - from));
        const qsizetype close = text.indexOf(QStringLiteral("}}"), open + 2);
        from = close < 0 ? text.size() : close + 2;
        open = close < 0 ? -1 : text.indexOf(QStringLiteral("{{"), from);
    }
    kept.append(QStringView(text).sliced(from));
    return kept;
}

QString collapseBlanks(QStringView text)
{
    return text.toString().simplified();
}

// A tag's name: "m1", "/trn", "c" of "c red", "lang" of "lang id=1".
QStringView tagName(QStringView tag)
{
    const qsizetype blank = tag.indexOf(u' ');
    return blank < 0 ? tag : tag.first(blank);
}

bool isWordClass(QStringView label)
{
    static const QStringList kClasses = {
        QStringLiteral("n"), QStringLiteral("noun"), QStringLiteral("v"), QStringLiteral("verb"),
        QStringLiteral("vt"), QStringLiteral("vi"), QStringLiteral("v.t"), QStringLiteral("v.i"),
        QStringLiteral("a"), QStringLiteral("adj"), QStringLiteral("adjective"), QStringLiteral("adv"),
        QStringLiteral("adverb"), QStringLiteral("prep"), QStringLiteral("preposition"), QStringLiteral("pron"),
        QStringLiteral("pronoun"), QStringLiteral("conj"), QStringLiteral("conjunction"), QStringLiteral("int"),
        QStringLiteral("interj"), QStringLiteral("interjection"), QStringLiteral("num"), QStringLiteral("numeral"),
        QStringLiteral("art"), QStringLiteral("article"), QStringLiteral("pl"), QStringLiteral("abbr"),
        QStringLiteral("pref"), QStringLiteral("suff"), QStringLiteral("part"), QStringLiteral("particle"),
        QStringLiteral("aux"), QStringLiteral("modal"), QStringLiteral("phr v")};
    QString key = label.trimmed().toString().toLower();
    while (key.endsWith(u'.'))
        key.chop(1);
    return kClasses.contains(key);
}

// One body line with its tags resolved.
struct TParsedLine
{
    struct TExample
    {
        qsizetype Start;
        qsizetype End = -1;
        qsizetype LangEnd = -1; // where its first [lang] area ended
    };

    QString Text;
    std::vector<TExample> Examples;
    qsizetype LabelStart = -1; // the first [p] area
    qsizetype LabelEnd = -1;
    bool LabelOpens = false; // nothing but blanks before it
    QString Transcription;   // the text of the [t] areas
    bool OnlyTranscription = true; // outside them, brackets, slashes and blanks alone
};

TParsedLine parseBodyLine(QStringView line, QStringView headWord)
{
    TParsedLine parsed;
    QString &out = parsed.Text;
    bool inExample = false;
    bool inLabel = false;
    bool inTranscription = false;
    const auto append = [&](QStringView text) {
        out.append(text);
        if (inTranscription) {
            parsed.Transcription.append(text);
            return;
        }
        for (const QChar c : text) {
            if (!c.isSpace() && c != u'[' && c != u']' && c != u'/')
                parsed.OnlyTranscription = false;
        }
    };
    qsizetype i = 0;
    while (i < line.size()) {
        const QChar c = line[i];
        if (c == u'\\' && i + 1 < line.size()) {
            append(line.sliced(i + 1, 1));
            i += 2;
            continue;
        }
        if (c == u'[') {
            const qsizetype close = line.indexOf(u']', i + 1);
            if (close < 0) {
                append(line.sliced(i, 1));
                ++i;
                continue;
            }
            const QStringView tag = line.sliced(i + 1, close - i - 1);
            const bool closing = tag.startsWith(u'/');
            const QStringView name = tagName(closing ? tag.sliced(1) : tag);
            i = close + 1;
            if (name == u"s" && !closing) {
                const qsizetype end = line.indexOf(u"[/s]", i);
                i = end < 0 ? line.size() : end + 4;
            } else if (name == u"ex") {
                if (!closing && !inExample)
                    parsed.Examples.push_back({out.size()});
                else if (closing && inExample)
                    parsed.Examples.back().End = out.size();
                inExample = !closing;
            } else if (name == u"lang" && closing && inExample && parsed.Examples.back().LangEnd < 0) {
                parsed.Examples.back().LangEnd = out.size();
            } else if (name == u"p") {
                if (!closing && parsed.LabelStart < 0) {
                    parsed.LabelStart = out.size();
                    parsed.LabelOpens = out.trimmed().isEmpty();
                    inLabel = true;
                } else if (closing && inLabel) {
                    parsed.LabelEnd = out.size();
                    inLabel = false;
                }
            } else if (name == u"t") {
                inTranscription = !closing;
            }
            continue;
        }
        if ((c == u'<' || c == u'>') && i + 1 < line.size() && line[i + 1] == c) {
            i += 2; // the marks of a reference
            continue;
        }
        if (c == u'~') {
            append(headWord);
            ++i;
            continue;
        }
        append(line.sliced(i, 1));
        ++i;
    }
    if (inExample)
        parsed.Examples.back().End = out.size();
    if (inLabel)
        parsed.LabelEnd = out.size();
    return parsed;
}

// A card's body in our lines, in UTF-8, written once for each head word.
struct TBody
{
    struct TLine
    {
        char Marker;
        QByteArray Text;
        QByteArray Translation; // of an example
    };

    QByteArray Transcription;
    std::vector<TLine> Lines;

    void Add(char marker, QStringView text, QStringView translation = {})
    {
        const QString trimmed = collapseBlanks(text);
        if (!trimmed.isEmpty() || !translation.trimmed().isEmpty())
            Lines.push_back({marker, trimmed.toUtf8(), collapseBlanks(translation).toUtf8()});
    }
};

bool isDash(QChar c)
{
    return c == u'-' || c == u'\u2013' || c == u'\u2014';
}

void addExample(TBody &body, QStringView text, const TParsedLine::TExample &example)
{
    const QStringView whole = QStringView(text).sliced(example.Start, example.End - example.Start);
    if (example.LangEnd > example.Start && example.LangEnd < example.End) {
        QStringView translation = text.sliced(example.LangEnd, example.End - example.LangEnd).trimmed();
        while (!translation.isEmpty() && isDash(translation.front()))
            translation = translation.sliced(1).trimmed();
        if (!translation.isEmpty()) {
            body.Add('=', text.sliced(example.Start, example.LangEnd - example.Start), translation);
            return;
        }
    }
    for (const QStringView dash : {QStringView(u" \u2014 "), QStringView(u" \u2013 "), QStringView(u" - ")}) {
        const qsizetype at = whole.indexOf(dash);
        if (at > 0) {
            body.Add('=', whole.first(at), whole.sliced(at + dash.size()));
            return;
        }
    }
    body.Add('=', whole);
}

void addBodyLine(TBody &body, QStringView line, QStringView headWord)
{
    const QStringView trimmed = line.trimmed();
    if (trimmed.startsWith(u'@')) {
        // A sub-card: its head word is an idiom of the card; a lone '@'
        // closes it.
        body.Add('!', parseBodyLine(trimmed.sliced(1), headWord).Text);
        return;
    }
    const TParsedLine parsed = parseBodyLine(line, headWord);
    const QStringView text = parsed.Text;
    if (parsed.OnlyTranscription && !parsed.Transcription.trimmed().isEmpty() && body.Transcription.isEmpty()) {
        body.Transcription = collapseBlanks(parsed.Transcription).toUtf8();
        return;
    }
    qsizetype from = 0;
    const qsizetype firstExample = parsed.Examples.empty() ? text.size() : parsed.Examples.front().Start;
    if (parsed.LabelOpens && parsed.LabelEnd > parsed.LabelStart && parsed.LabelEnd <= firstExample
        && isWordClass(text.sliced(parsed.LabelStart, parsed.LabelEnd - parsed.LabelStart))) {
        body.Add('*', text.sliced(parsed.LabelStart, parsed.LabelEnd - parsed.LabelStart));
        from = parsed.LabelEnd;
    }
    for (const TParsedLine::TExample &example : parsed.Examples) {
        if (example.Start < from)
            continue;
        body.Add('-', text.sliced(from, example.Start - from));
        addExample(body, text, example);
        from = example.End;
    }
    body.Add('-', text.sliced(from));
}

struct THeader
{
    QString Name;
    QString IndexLanguage;
    QString ContentsLanguage;
};

// The value of a header line: `#NAME "value"`.
QString headerValue(QStringView line)
{
    const qsizetype open = line.indexOf(u'"');
    const qsizetype close = line.lastIndexOf(u'"');
    if (open < 0)
        return line.sliced(line.indexOf(u' ') + 1).trimmed().toString();
    return (close > open ? line.sliced(open + 1, close - open - 1) : line.sliced(open + 1)).trimmed().toString();
}

class TCardWriter
{
public:
    explicit TCardWriter(TDictTextWriter &writer) : m_writer(writer) {}

    void AddHeadLine(QStringView line) { m_headLines.append(line.toString()); }
    void AddBodyLine(QStringView line) { m_bodyLines.append(line.toString()); }
    bool HasBody() const { return !m_bodyLines.isEmpty(); }
    bool HasHead() const { return !m_headLines.isEmpty(); }

    void Flush()
    {
        QStringList words;
        for (const QString &line : std::as_const(m_headLines)) {
            for (const QString &word : DslHeadWords(line)) {
                if (!words.contains(word))
                    words.append(word);
            }
        }
        if (!words.isEmpty()) {
            TBody body;
            for (const QString &line : std::as_const(m_bodyLines))
                addBodyLine(body, line, words.front());
            for (const QString &word : std::as_const(words))
                write(word.toUtf8(), body);
        }
        m_headLines.clear();
        m_bodyLines.clear();
    }

private:
    void write(const QByteArray &word, const TBody &body)
    {
        if (!m_writer.BeginEntry(word, body.Transcription))
            return;
        for (const TBody::TLine &line : body.Lines) {
            if (line.Marker == '=')
                m_writer.AddExample(line.Text, line.Translation);
            else
                m_writer.AddLine(line.Marker, line.Text);
        }
    }

    TDictTextWriter &m_writer;
    QStringList m_headLines;
    QStringList m_bodyLines;
};

} // namespace

QStringList DslHeadWords(QStringView line)
{
    struct TPart
    {
        QString Text;
        bool Optional = false;
    };
    std::vector<TPart> parts(1);
    qsizetype i = 0;
    while (i < line.size()) {
        const QChar c = line[i];
        if (c == u'\\' && i + 1 < line.size()) {
            parts.back().Text.append(line[i + 1]);
            i += 2;
        } else if (c == u'{') {
            // Unsorted part: shown by Lingvo, never part of the word.
            while (i < line.size() && line[i] != u'}')
                i += line[i] == u'\\' ? 2 : 1;
            ++i;
        } else if (c == u'[') {
            const qsizetype close = line.indexOf(u']', i);
            i = close < 0 ? line.size() : close + 1;
        } else if (c == u'(' && !parts.back().Optional) {
            parts.push_back({QString(), true});
            ++i;
        } else if (c == u')' && parts.back().Optional) {
            parts.push_back({});
            ++i;
        } else {
            parts.back().Text.append(c);
            ++i;
        }
    }
    constexpr int kMostVarying = 4;
    QStringList variants{QString()};
    int varying = 0;
    for (const TPart &part : parts) {
        if (part.Optional && varying < kMostVarying) {
            ++varying;
            QStringList grown;
            for (const QString &variant : std::as_const(variants))
                grown << variant + part.Text << variant;
            variants = grown;
        } else {
            for (QString &variant : variants)
                variant += part.Text;
        }
    }
    QStringList words;
    for (const QString &variant : std::as_const(variants)) {
        const QString word = variant.simplified();
        if (!word.isEmpty() && !words.contains(word))
            words.append(word);
    }
    return words;
}

TImportedText ConvertDsl(const QString &source)
{
    const QString text = withoutComments(decodeDsl(source, ReadSourceFile(source)));
    TImportedText imported;
    TDictTextWriter writer;
    TCardWriter card(writer);
    THeader header;
    bool inHeader = true;
    const auto endHeader = [&] {
        if (!inHeader)
            return;
        inHeader = false;
        imported.Name = header.Name;
        QString info = header.Name;
        if (!header.IndexLanguage.isEmpty() || !header.ContentsLanguage.isEmpty())
            info += QStringLiteral("\n%1 \u2013 %2").arg(header.IndexLanguage, header.ContentsLanguage);
        writer.WriteHeader(info.toUtf8(), header.Name.toUtf8(), QByteArray());
    };
    try {
        for (QStringView line : QStringView(text).tokenize(u'\n')) {
            if (line.endsWith(u'\r'))
                line.chop(1);
            if (line.trimmed().isEmpty())
                continue;
            if (line.front() == u' ' || line.front() == u'\t') {
                if (card.HasHead())
                    card.AddBodyLine(line);
                continue;
            }
            if (inHeader && line.front() == u'#') {
                const QStringView directive = line.sliced(1);
                if (directive.startsWith(u"NAME", Qt::CaseInsensitive))
                    header.Name = headerValue(directive);
                else if (directive.startsWith(u"INDEX_LANGUAGE", Qt::CaseInsensitive))
                    header.IndexLanguage = headerValue(directive);
                else if (directive.startsWith(u"CONTENTS_LANGUAGE", Qt::CaseInsensitive))
                    header.ContentsLanguage = headerValue(directive);
                continue;
            }
            endHeader();
            if (card.HasBody())
                card.Flush();
            card.AddHeadLine(line);
        }
        endHeader();
        card.Flush();
    } catch (const TDictTextWriter::TNotUtf8 &) {
        // Text that came from Unicode is UTF-8 by construction.
        throw Error(SourceError(source, QStringLiteral("its text could not be converted")));
    }
    if (writer.Entries() == 0)
        throw Error(SourceError(source, QStringLiteral("it holds no cards")));
    imported.Entries = writer.Entries();
    imported.Text = writer.TakeText();
    return imported;
}

} // namespace lexivoce::dict
