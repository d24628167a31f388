#include "speech/markup.h"

#include <QChar>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <optional>

namespace lexivoce::speech {

namespace {

constexpr int kMinPitch = -10;
constexpr int kMaxPitch = 10;

// Longest entity we look for, "&#x0010FFFF;" with room for leading zeros; a
// bound keeps a text full of stray '&' linear.
constexpr qsizetype kMaxEntityLength = 16;

// Voice and pitch in force at one point of the text.
struct TMarkupState
{
    QString VoiceName;
    int Pitch = 0;
    bool HasPitch = false;
    bool Spell = false;

    bool operator==(const TMarkupState &) const = default;
};

enum class TScopeKind { Voice, Pitch, Spell };

// An open container tag and the state to restore when it closes.
struct TScope
{
    TScopeKind Kind;
    TMarkupState Saved;
};

struct TAttribute
{
    QStringView Name;
    QString Value; // entities decoded
};

struct TTag
{
    QStringView Name;
    bool Closing = false;
    bool SelfClosing = false;
    QList<TAttribute> Attributes;
};

bool isBlank(QChar c)
{
    return c.isSpace();
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int hexDigitValue(QChar c)
{
    if (isAsciiDigit(c))
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

bool sameName(QStringView name, QLatin1String expected)
{
    return name.compare(expected, Qt::CaseInsensitive) == 0;
}

// Decodes the entity at text[amp] == '&'. On success returns its character
// and sets after just past its ';'. Anything else is not an entity and stays
// as text.
std::optional<char32_t> decodeEntity(QStringView text, qsizetype amp, qsizetype &after)
{
    const qsizetype limit = std::min(text.size(), amp + kMaxEntityLength);
    qsizetype semicolon = amp + 1;
    while (semicolon < limit && text[semicolon] != u';' && text[semicolon] != u'&')
        ++semicolon;
    if (semicolon >= limit || text[semicolon] != u';')
        return std::nullopt;
    const QStringView body = text.sliced(amp + 1, semicolon - amp - 1);

    std::optional<char32_t> decoded;
    if (body == u"lt")
        decoded = U'<';
    else if (body == u"gt")
        decoded = U'>';
    else if (body == u"amp")
        decoded = U'&';
    else if (body == u"quot")
        decoded = U'"';
    else if (body == u"apos")
        decoded = U'\'';
    else if (body.size() >= 2 && body[0] == u'#') {
        const bool hex = body[1] == u'x' || body[1] == u'X';
        const QStringView digits = body.sliced(hex ? 2 : 1);
        if (digits.isEmpty())
            return std::nullopt;
        char32_t value = 0;
        for (QChar c : digits) {
            const int digit = hex ? hexDigitValue(c) : (isAsciiDigit(c) ? c.unicode() - u'0' : -1);
            if (digit < 0)
                return std::nullopt;
            // The length bound keeps this far from overflow; anything past
            // the last code point is rejected below.
            value = value * (hex ? 16 : 10) + char32_t(digit);
            if (value > 0x10FFFF)
                return std::nullopt;
        }
        if (value == 0 || QChar::isSurrogate(value))
            return std::nullopt;
        decoded = value;
    }
    if (decoded)
        after = semicolon + 1;
    return decoded;
}

// Attribute values may carry entities (a voice name with a quote in it).
QString decodeAttributeValue(QStringView raw)
{
    QString value;
    value.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size();) {
        qsizetype after = 0;
        if (raw[i] == u'&') {
            if (const auto c = decodeEntity(raw, i, after)) {
                const char32_t cp = *c;
                if (QChar::requiresSurrogates(cp)) {
                    value.append(QChar(QChar::highSurrogate(cp)));
                    value.append(QChar(QChar::lowSurrogate(cp)));
                } else {
                    value.append(QChar(char16_t(cp)));
                }
                i = after;
                continue;
            }
        }
        value.append(raw[i]);
        ++i;
    }
    return value;
}

// "name=X" or "Gender=Female;Name=X": the Name part, or empty when none.
QString voiceNameOf(QStringView required)
{
    for (QStringView part : required.tokenize(u';')) {
        const qsizetype equals = part.indexOf(u'=');
        if (equals < 0)
            continue;
        if (sameName(part.first(equals).trimmed(), QLatin1String("name")))
            return part.sliced(equals + 1).trimmed().toString();
    }
    return QString();
}

// An integer, clamped to the pitch range; anything else is no pitch.
std::optional<int> pitchOf(QStringView value)
{
    value = value.trimmed();
    bool negative = false;
    if (!value.isEmpty() && (value[0] == u'-' || value[0] == u'+')) {
        negative = value[0] == u'-';
        value = value.sliced(1);
    }
    if (value.isEmpty())
        return std::nullopt;
    int magnitude = 0;
    for (QChar c : value) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        magnitude = std::min(magnitude * 10 + (c.unicode() - u'0'), 1000);
    }
    return std::clamp(negative ? -magnitude : magnitude, kMinPitch, kMaxPitch);
}

const QString *attributeValue(const TTag &tag, QLatin1String name)
{
    for (const TAttribute &attribute : tag.Attributes) {
        if (sameName(attribute.Name, name))
            return &attribute.Value;
    }
    return nullptr;
}

class TMarkupParser
{
public:
    explicit TMarkupParser(QStringView text)
        : m_text(text)
    {
    }

    QList<TSpeechSegment> run();

private:
    // A '<' that cannot start a tag is an ordinary character, so that
    // "a < b" and "1<2" are read as written.
    bool startsTag(qsizetype pos) const;
    // Reads the construct at m_text[pos] == '<'. Returns the position past
    // it, or -1 when it is never closed.
    qsizetype readMarkup(qsizetype pos);
    qsizetype readTag(qsizetype pos, TTag &tag) const;
    void applyTag(const TTag &tag);
    void openScope(TScopeKind kind);
    void closeScope(TScopeKind kind);

    TSpeechSegment &currentSegment();
    void appendOriginal(qsizetype from, qsizetype to);
    void appendDecoded(char32_t c, qsizetype origin, qsizetype end);

    QStringView m_text;
    TMarkupState m_state;
    QList<TScope> m_scopes;
    // Open scopes of each kind, so that a stray closing tag costs nothing
    // however deep the nesting.
    int m_openCount[3] = {0, 0, 0};
    QList<TSpeechSegment> m_segments;
    // A <silence/> was met: the next text starts a segment of its own.
    bool m_break = false;
};

QList<TSpeechSegment> TMarkupParser::run()
{
    const qsizetype n = m_text.size();
    qsizetype runStart = 0; // start of the plain text not yet appended
    qsizetype i = 0;
    while (i < n) {
        const QChar c = m_text[i];
        if (c == u'&') {
            qsizetype after = 0;
            if (const auto decoded = decodeEntity(m_text, i, after)) {
                appendOriginal(runStart, i);
                appendDecoded(*decoded, i, after);
                i = runStart = after;
                continue;
            }
        } else if (c == u'<' && startsTag(i)) {
            appendOriginal(runStart, i);
            const qsizetype after = readMarkup(i);
            if (after < 0)
                return m_segments; // an unclosed tag must not be read out
            i = runStart = after;
            continue;
        }
        ++i;
    }
    appendOriginal(runStart, n);
    return m_segments;
}

bool TMarkupParser::startsTag(qsizetype pos) const
{
    if (pos + 1 >= m_text.size())
        return false;
    const QChar next = m_text[pos + 1];
    return !isBlank(next) && !isAsciiDigit(next) && next != u'=';
}

qsizetype TMarkupParser::readMarkup(qsizetype pos)
{
    const QStringView rest = m_text.sliced(pos);
    if (rest.startsWith(u"<!--")) {
        const qsizetype close = m_text.indexOf(u"-->", pos + 4);
        return close < 0 ? -1 : close + 3;
    }
    if (rest.startsWith(u"<![CDATA[")) {
        // Character data is spoken as written, '<' and '&' included.
        const qsizetype contentStart = pos + 9;
        const qsizetype close = m_text.indexOf(u"]]>", contentStart);
        if (close < 0)
            return -1;
        appendOriginal(contentStart, close);
        return close + 3;
    }
    if (rest.startsWith(u"<?")) {
        const qsizetype close = m_text.indexOf(u"?>", pos + 2);
        return close < 0 ? -1 : close + 2;
    }
    TTag tag;
    const qsizetype after = readTag(pos, tag);
    if (after >= 0)
        applyTag(tag);
    return after;
}

qsizetype TMarkupParser::readTag(qsizetype pos, TTag &tag) const
{
    const qsizetype n = m_text.size();
    auto isNameEnd = [this](qsizetype i) {
        const QChar c = m_text[i];
        return isBlank(c) || c == u'>' || c == u'/' || c == u'=';
    };

    qsizetype i = pos + 1;
    if (m_text[i] == u'/') {
        tag.Closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < n && !isNameEnd(i))
        ++i;
    tag.Name = m_text.sliced(nameStart, i - nameStart);

    while (i < n) {
        const QChar c = m_text[i];
        if (c == u'>')
            return i + 1;
        if (c == u'/') {
            if (i + 1 < n && m_text[i + 1] == u'>') {
                tag.SelfClosing = true;
                return i + 2;
            }
            ++i;
            continue;
        }
        if (isBlank(c) || c == u'=') {
            ++i;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            // A value without a name is skipped whole, so that a '>' inside
            // it does not end the tag.
            const qsizetype close = m_text.indexOf(c, i + 1);
            if (close < 0)
                return -1;
            i = close + 1;
            continue;
        }

        const qsizetype attributeStart = i;
        while (i < n && !isNameEnd(i))
            ++i;
        TAttribute attribute;
        attribute.Name = m_text.sliced(attributeStart, i - attributeStart);
        qsizetype j = i;
        while (j < n && isBlank(m_text[j]))
            ++j;
        if (j < n && m_text[j] == u'=') {
            ++j;
            while (j < n && isBlank(m_text[j]))
                ++j;
            if (j < n && (m_text[j] == u'"' || m_text[j] == u'\'')) {
                // A quoted value may hold '>'; an unclosed quote leaves the
                // tag unclosed.
                const qsizetype close = m_text.indexOf(m_text[j], j + 1);
                if (close < 0)
                    return -1;
                attribute.Value = decodeAttributeValue(m_text.sliced(j + 1, close - j - 1));
                i = close + 1;
            } else {
                const qsizetype valueStart = j;
                while (j < n && !isBlank(m_text[j]) && m_text[j] != u'>'
                       && !(m_text[j] == u'/' && j + 1 < n && m_text[j + 1] == u'>'))
                    ++j;
                attribute.Value = decodeAttributeValue(m_text.sliced(valueStart, j - valueStart));
                i = j;
            }
        }
        tag.Attributes.append(attribute);
    }
    return -1;
}

void TMarkupParser::applyTag(const TTag &tag)
{
    if (sameName(tag.Name, QLatin1String("voice"))) {
        if (tag.Closing) {
            closeScope(TScopeKind::Voice);
        } else if (!tag.SelfClosing) {
            // An empty voice element changes nothing; a voice without a name
            // still opens a scope so that its closing tag pairs with it.
            openScope(TScopeKind::Voice);
            if (const QString *required = attributeValue(tag, QLatin1String("required"))) {
                const QString name = voiceNameOf(*required);
                if (!name.isEmpty())
                    m_state.VoiceName = name;
            }
        }
    } else if (sameName(tag.Name, QLatin1String("spell"))) {
        if (tag.Closing) {
            closeScope(TScopeKind::Spell);
        } else if (!tag.SelfClosing) {
            openScope(TScopeKind::Spell);
            m_state.Spell = true;
        }
    } else if (sameName(tag.Name, QLatin1String("silence"))) {
        // A clause break, whatever its length says: the engine's own pause.
        if (!tag.Closing)
            m_break = true;
    } else if (sameName(tag.Name, QLatin1String("pitch"))) {
        if (tag.Closing) {
            closeScope(TScopeKind::Pitch);
            return;
        }
        if (!tag.SelfClosing)
            openScope(TScopeKind::Pitch);
        if (const QString *value = attributeValue(tag, QLatin1String("absmiddle"))) {
            if (const auto pitch = pitchOf(*value)) {
                m_state.Pitch = *pitch;
                m_state.HasPitch = true;
            }
        }
    }
}

void TMarkupParser::openScope(TScopeKind kind)
{
    m_scopes.append({kind, m_state});
    ++m_openCount[int(kind)];
}

void TMarkupParser::closeScope(TScopeKind kind)
{
    // The innermost open tag of that kind closes, and with it any tag left
    // open inside it; a closing tag with none open is ignored.
    if (m_openCount[int(kind)] == 0)
        return;
    for (qsizetype k = m_scopes.size() - 1; k >= 0; --k) {
        --m_openCount[int(m_scopes[k].Kind)];
        if (m_scopes[k].Kind == kind) {
            m_state = m_scopes[k].Saved;
            m_scopes.resize(k);
            return;
        }
    }
}

TSpeechSegment &TMarkupParser::currentSegment()
{
    if (!m_segments.isEmpty() && !m_break) {
        TSpeechSegment &last = m_segments.last();
        if (last.VoiceName == m_state.VoiceName && last.Pitch == m_state.Pitch
            && last.HasPitch == m_state.HasPitch && last.Spell == m_state.Spell)
            return last;
    }
    m_break = false;
    TSpeechSegment segment;
    segment.VoiceName = m_state.VoiceName;
    segment.Pitch = m_state.Pitch;
    segment.HasPitch = m_state.HasPitch;
    segment.Spell = m_state.Spell;
    m_segments.append(segment);
    return m_segments.last();
}

void TMarkupParser::appendOriginal(qsizetype from, qsizetype to)
{
    if (from >= to)
        return;
    TSpeechSegment &segment = currentSegment();
    segment.Text.append(m_text.sliced(from, to - from));
    for (qsizetype k = from; k < to; ++k)
        segment.Origin.push_back(int(k));
    segment.End = int(to);
}

void TMarkupParser::appendDecoded(char32_t c, qsizetype origin, qsizetype end)
{
    TSpeechSegment &segment = currentSegment();
    if (QChar::requiresSurrogates(c)) {
        segment.Text.append(QChar(QChar::highSurrogate(c)));
        segment.Text.append(QChar(QChar::lowSurrogate(c)));
        segment.Origin.push_back(int(origin));
    } else {
        segment.Text.append(QChar(char16_t(c)));
    }
    segment.Origin.push_back(int(origin));
    segment.End = int(end);
}

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x85)
        || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

bool isSentencePunctuation(QChar c)
{
    return c == u'.' || c == u'!' || c == u'?' || c == u';';
}

// Quotes and brackets that may close a sentence after its full stop.
bool isSentenceCloser(QChar c)
{
    const QChar::Category category = c.category();
    return c == u'"' || c == u'\'' || category == QChar::Punctuation_Close
        || category == QChar::Punctuation_FinalQuote;
}

// Just past the first sentence end that starts before scanEnd, with the white
// space after it; -1 when there is none. Scans at most one unit past scanEnd:
// anything longer is cut there anyway, and long runs of blanks or dots stay
// linear.
qsizetype findSentenceEnd(QStringView text, qsizetype from, qsizetype scanEnd)
{
    const qsizetype bound = std::min(text.size(), scanEnd + 1);
    auto skipBlanks = [&](qsizetype i) {
        while (i < bound && isBlank(text[i]))
            ++i;
        return i;
    };
    for (qsizetype i = from; i < scanEnd; ++i) {
        const QChar c = text[i];
        if (isLineBreak(c))
            return skipBlanks(i + 1);
        if (!isSentencePunctuation(c))
            continue;
        qsizetype j = i + 1;
        while (j < bound && (isSentencePunctuation(text[j]) || isSentenceCloser(text[j])))
            ++j;
        if (j == bound || isBlank(text[j]))
            return skipBlanks(j);
        i = j - 1; // the marks up to j end no sentence either
    }
    return -1;
}

TSpeechSegment sliceSegment(const TSpeechSegment &segment, qsizetype from, qsizetype to)
{
    TSpeechSegment piece;
    piece.Text = segment.Text.sliced(from, to - from);
    piece.Origin.assign(segment.Origin.begin() + from, segment.Origin.begin() + to);
    // A piece reaches up to where the next one starts, so that markup dropped
    // between them still belongs to one of them.
    piece.End = to < segment.Text.size() ? segment.Origin[size_t(to)] : segment.End;
    piece.VoiceName = segment.VoiceName;
    piece.Pitch = segment.Pitch;
    piece.HasPitch = segment.HasPitch;
    piece.Spell = segment.Spell;
    return piece;
}

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

// Appends the code points of units, all with the one origin. The engine
// reads a C string, so a NUL would end the text early: it becomes a space. A
// lone surrogate has no UTF-8 form and becomes U+FFFD.
void appendCodePoints(TEngineText &out, QStringView units, int origin)
{
    for (qsizetype k = 0; k < units.size(); ++k) {
        char32_t c = units[k].unicode();
        if (QChar::isHighSurrogate(c) && k + 1 < units.size() && units[k + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), units[k + 1].unicode());
            ++k;
        } else if (QChar::isSurrogate(c)) {
            c = QChar::ReplacementCharacter;
        } else if (c == 0) {
            c = U' ';
        }
        appendUtf8(out.Utf8, c);
        out.CodePointOrigin.push_back(origin);
    }
}

} // namespace

QList<TSpeechSegment> ParseSpeechMarkup(QStringView text)
{
    return TMarkupParser(text).run();
}

QString EscapeMarkup(QStringView text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&': escaped += QStringLiteral("&amp;"); break;
        case u'<': escaped += QStringLiteral("&lt;"); break;
        case u'>': escaped += QStringLiteral("&gt;"); break;
        case u'"': escaped += QStringLiteral("&quot;"); break;
        case u'\'': escaped += QStringLiteral("&apos;"); break;
        default: escaped += c; break;
        }
    }
    return escaped;
}

TSpeechSegment PlainSegment(QStringView text)
{
    TSpeechSegment segment;
    segment.Text = text.toString();
    segment.Origin.resize(size_t(text.size()));
    for (size_t k = 0; k < segment.Origin.size(); ++k)
        segment.Origin[k] = int(k);
    segment.End = int(text.size());
    return segment;
}

QList<TSpeechSegment> SplitForSynthesis(const TSpeechSegment &segment, int maxUnits)
{
    QList<TSpeechSegment> pieces;
    const QStringView text(segment.Text);
    const qsizetype n = text.size();
    const qsizetype limit = std::max(maxUnits, 1);
    // Built only when a sentence has no blank to cut at.
    std::optional<QTextBoundaryFinder> graphemes;

    qsizetype start = 0;
    while (start < n) {
        const qsizetype maxEnd = std::min(n, start + limit);
        qsizetype end = findSentenceEnd(text, start, maxEnd);
        if (end < 0)
            end = n;
        if (end > maxEnd) {
            // Too long: cut after the last blank that fits.
            qsizetype cut = maxEnd;
            while (cut > start && !isBlank(text[cut - 1]))
                --cut;
            if (cut == start) {
                // No blank: cut hard, but not inside a letter with its marks
                // if the letter fits, and never inside a surrogate pair.
                if (!graphemes)
                    graphemes.emplace(QTextBoundaryFinder::Grapheme, text);
                for (cut = maxEnd; cut > start; --cut) {
                    graphemes->setPosition(cut);
                    if (graphemes->isAtBoundary())
                        break;
                }
                if (cut == start) {
                    cut = maxEnd;
                    if (text[cut - 1].isHighSurrogate() && text[cut].isLowSurrogate())
                        cut += cut - 1 > start ? -1 : 1;
                }
            }
            end = cut;
        }
        pieces.append(sliceSegment(segment, start, end));
        start = end;
    }
    return pieces;
}

TEngineText PrepareForEngine(const TSpeechSegment &segment)
{
    TEngineText out;
    const QString &text = segment.Text;
    const qsizetype n = text.size();
    out.Utf8.reserve(n + n / 2);
    out.CodePointOrigin.reserve(size_t(n) + 1);

    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype from = 0;
    while (from < n) {
        qsizetype to = graphemes.toNextBoundary();
        if (to <= from || to > n)
            to = n;
        const QStringView cluster = QStringView(text).sliced(from, to - from);
        const int origin = segment.Origin[size_t(from)];
        if (cluster.size() == 1 && cluster[0].unicode() < 0x80)
            appendCodePoints(out, cluster, origin); // ASCII is already NFC
        else
            appendCodePoints(out, cluster.toString().normalized(QString::NormalizationForm_C), origin);
        from = to;
    }
    out.CodePointOrigin.push_back(segment.End);
    return out;
}

} // namespace lexivoce::speech
