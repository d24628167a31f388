#include "speech/markup.h"
#include "speech/utterance.h"

#include <gtest/gtest.h>

#include <vector>

namespace lexivoce::speech {
namespace {

QString str(const char16_t *text)
{
    return QString::fromUtf16(text);
}

// Every unit of a segment comes from its own offset, or from the '&' of the
// entity that produced it; offsets never go back and stay before End.
void expectOriginsPointIntoOriginal(const QList<TSpeechSegment> &segments, QStringView original)
{
    int previous = -1;
    for (const TSpeechSegment &segment : segments) {
        ASSERT_EQ(segment.Origin.size(), size_t(segment.Text.size())) << segment.Text.toStdString();
        for (size_t k = 0; k < segment.Origin.size(); ++k) {
            const int origin = segment.Origin[k];
            ASSERT_GE(origin, previous);
            ASSERT_LT(origin, segment.End);
            ASSERT_LT(origin, original.size());
            const QChar unit = segment.Text[qsizetype(k)];
            EXPECT_TRUE(original[origin] == unit || original[origin] == u'&')
                << "unit " << k << " of " << segment.Text.toStdString();
            previous = origin;
        }
        EXPECT_LE(segment.End, original.size());
    }
}

struct TExpected
{
    QString Text;
    QString VoiceName;
    int Pitch = 0;
    bool HasPitch = false;
    int FirstOrigin = 0;
    int End = 0;
};

TEST(ParseSpeechMarkup, SplitsTextByVoiceAndPitch)
{
    const QString english = QStringLiteral("English (Great Britain)");
    const QString a = QStringLiteral("A");
    struct Case
    {
        QString Markup;
        std::vector<TExpected> Segments;
    };
    const std::vector<Case> cases = {
        // The two shapes the speakers send.
        {QStringLiteral("<pitch absmiddle=\"-3\"/>hello\n"),
         {{QStringLiteral("hello\n"), {}, -3, true, 23, 29}}},
        {str(u"<pitch absmiddle=\"0\"/><VOICE REQUIRED=\"NAME=English (Great Britain)\">abroad</VOICE>"
             u" ở nước ngoài"),
         {{QStringLiteral("abroad"), english, 0, true, 69, 75},
          {str(u" ở nước ngoài"), {}, 0, true, 83, 96}}},
        // Voices nest and each closing tag restores the voice around it.
        {QStringLiteral("<voice required=\"name=A\">a<voice required=\"name=B\">b</voice>c</voice>d"),
         {{QStringLiteral("a"), a, 0, false, 25, 26},
          {QStringLiteral("b"), QStringLiteral("B"), 0, false, 51, 52},
          {QStringLiteral("c"), a, 0, false, 60, 61},
          {QStringLiteral("d"), {}, 0, false, 69, 70}}},
        // A voice left open lasts to the end.
        {QStringLiteral("x<voice required=\"name=A\">y"),
         {{QStringLiteral("x"), {}, 0, false, 0, 1}, {QStringLiteral("y"), a, 0, false, 26, 27}}},
        // Names of tags, attributes and keys in any case; the Name among other
        // keys; single quotes.
        {QStringLiteral("<Voice Required='Gender=Female; Name = Vietnamese '>v</Voice>"),
         {{QStringLiteral("v"), QStringLiteral("Vietnamese"), 0, false, 52, 53}}},
        // A name no engine voice has is passed on: the engine decides.
        {QStringLiteral("<voice required=\"name=Klingon\">q</voice>"),
         {{QStringLiteral("q"), QStringLiteral("Klingon"), 0, false, 31, 32}}},
        // A quoted '>' does not end the tag; entities in values are decoded.
        {QStringLiteral("<voice required=\"name=a>b\">x</voice>"),
         {{QStringLiteral("x"), QStringLiteral("a>b"), 0, false, 27, 28}}},
        {QStringLiteral("<voice =\"x>y\" required=\"name=A\">a</voice>"), {{QStringLiteral("a"), a, 0, false, 32, 33}}},
        {QStringLiteral("<voice required=\"name=O&apos;Neil\">x</voice>"),
         {{QStringLiteral("x"), QStringLiteral("O'Neil"), 0, false, 35, 36}}},
        // The container form of pitch restores the pitch before it, or none.
        {QStringLiteral("<pitch absmiddle=\"2\"/>a<pitch absmiddle=\"5\">b</pitch>c"),
         {{QStringLiteral("a"), {}, 2, true, 22, 23},
          {QStringLiteral("b"), {}, 5, true, 44, 45},
          {QStringLiteral("c"), {}, 2, true, 53, 54}}},
        {QStringLiteral("a<pitch absmiddle=\"5\">b</pitch>c"),
         {{QStringLiteral("a"), {}, 0, false, 0, 1},
          {QStringLiteral("b"), {}, 5, true, 22, 23},
          {QStringLiteral("c"), {}, 0, false, 31, 32}}},
        // Closing an outer tag closes the one left open inside it.
        {QStringLiteral("<voice required=\"name=A\"><pitch absmiddle=\"4\">a</voice>b</pitch>c"),
         {{QStringLiteral("a"), a, 4, true, 46, 47}, {QStringLiteral("bc"), {}, 0, false, 55, 65}}},
        // Pitch is clamped; a value that is no number changes nothing.
        {QStringLiteral("<pitch absmiddle=\"15\"/>a<pitch absmiddle='-99'/>b"),
         {{QStringLiteral("a"), {}, 10, true, 23, 24}, {QStringLiteral("b"), {}, -10, true, 48, 49}}},
        {QStringLiteral("<pitch absmiddle=\"high\"/>a"), {{QStringLiteral("a"), {}, 0, false, 25, 26}}},
        {QStringLiteral("<pitch absmiddle=\"3\"/>a<pitch absmiddle=\"3x\"/>b"),
         {{QStringLiteral("ab"), {}, 3, true, 22, 47}}},
        // Unknown tags, comments and processing instructions are dropped,
        // their text spoken, and the text around them stays one segment.
        {QStringLiteral("one <emph>two</emph> three<bookmark mark=\"10\"/>."),
         {{QStringLiteral("one two three."), {}, 0, false, 0, 48}}},
        // A clause break ends the segment, whatever it says about its length.
        {QStringLiteral("one<silence msec=\"10\"/>two"),
         {{QStringLiteral("one"), {}, 0, false, 0, 3}, {QStringLiteral("two"), {}, 0, false, 23, 26}}},
        {QStringLiteral("<?xml version=\"1.0\"?><!-- a > b -->hi"),
         {{QStringLiteral("hi"), {}, 0, false, 35, 37}}},
        {QStringLiteral("<![CDATA[a<b&amp;]]>c"), {{QStringLiteral("a<b&amp;c"), {}, 0, false, 9, 21}}},
        // A '<' that starts no tag is text.
        {QStringLiteral("a < b"), {{QStringLiteral("a < b"), {}, 0, false, 0, 5}}},
        {QStringLiteral("1<2 x<=y z<"), {{QStringLiteral("1<2 x<=y z<"), {}, 0, false, 0, 11}}},
        // A tag never closed drops the rest rather than read it out.
        {QStringLiteral("abc <voice required=\"name=A\" def"), {{QStringLiteral("abc "), {}, 0, false, 0, 4}}},
        {QStringLiteral("abc <pitch absmiddle=\"3>def"), {{QStringLiteral("abc "), {}, 0, false, 0, 4}}},
        {QStringLiteral("hi<!-- never closed -> x"), {{QStringLiteral("hi"), {}, 0, false, 0, 2}}},
        // A closing tag with nothing open is ignored.
        {QStringLiteral("a</VOICE>b</pitch>"), {{QStringLiteral("ab"), {}, 0, false, 0, 10}}},
        // Nothing to say: no segments.
        {QString(), {}},
        {QStringLiteral("<pitch absmiddle=\"1\"/><voice required=\"name=A\"></voice>"), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Markup.toStdString());
        const QList<TSpeechSegment> segments = ParseSpeechMarkup(c.Markup);
        ASSERT_EQ(segments.size(), qsizetype(c.Segments.size()));
        for (size_t k = 0; k < c.Segments.size(); ++k) {
            const TSpeechSegment &got = segments[qsizetype(k)];
            const TExpected &want = c.Segments[k];
            EXPECT_EQ(got.Text, want.Text);
            EXPECT_EQ(got.VoiceName, want.VoiceName);
            EXPECT_EQ(got.HasPitch, want.HasPitch);
            EXPECT_EQ(got.Pitch, want.Pitch);
            ASSERT_FALSE(got.Origin.empty());
            EXPECT_EQ(got.Origin.front(), want.FirstOrigin);
            EXPECT_EQ(got.End, want.End);
        }
        expectOriginsPointIntoOriginal(segments, c.Markup);
    }
}

TEST(ParseSpeechMarkup, DecodesEntitiesToTheOffsetOfTheirAmpersand)
{
    const QString markup = QStringLiteral("x&amp;y&#x1F600;&#233;&lt;&gt;&quot;&apos;");
    const QList<TSpeechSegment> segments = ParseSpeechMarkup(markup);
    ASSERT_EQ(segments.size(), 1);
    EXPECT_EQ(segments[0].Text, str(u"x&y\U0001F600é<>\"'"));
    EXPECT_EQ(segments[0].Origin, (std::vector<int>{0, 1, 6, 7, 7, 16, 22, 26, 30, 36}));
    EXPECT_EQ(segments[0].End, markup.size());

    // Anything that is not a known, complete entity is read as written.
    const QString unknown = QStringLiteral("&nbsp; &#; &#xZZ; &#0; &#xD800; &#99999999; & b &amp &LT;");
    const QList<TSpeechSegment> kept = ParseSpeechMarkup(unknown);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept[0].Text, unknown);
    EXPECT_EQ(kept[0].Origin.back(), unknown.size() - 1);
}

QStringList textsOf(const QList<TSpeechSegment> &pieces)
{
    QStringList texts;
    for (const TSpeechSegment &piece : pieces)
        texts.append(piece.Text);
    return texts;
}

TEST(SplitForSynthesis, CutsAtSentenceEndsAndLongSentencesAtBlanks)
{
    struct Case
    {
        QString Text;
        int MaxUnits;
        QStringList Pieces;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("One. Two! Three? Four; five"), 400,
         {QStringLiteral("One. "), QStringLiteral("Two! "), QStringLiteral("Three? "),
          QStringLiteral("Four; "), QStringLiteral("five")}},
        {QStringLiteral("e.g.x 3.5 end.  "), 400, {QStringLiteral("e.g.x 3.5 end.  ")}},
        {QStringLiteral("Line one\nLine two\r\n\r\nthree"), 400,
         {QStringLiteral("Line one\n"), QStringLiteral("Line two\r\n\r\n"), QStringLiteral("three")}},
        {QStringLiteral("He said \"Stop.\" Then (left.) Gone"), 400,
         {QStringLiteral("He said \"Stop.\" "), QStringLiteral("Then (left.) "), QStringLiteral("Gone")}},
        {QStringLiteral("aaaa bbbb cccc"), 10, {QStringLiteral("aaaa bbbb "), QStringLiteral("cccc")}},
        {QStringLiteral("Short.     x"), 8, {QStringLiteral("Short.  "), QStringLiteral("   x")}},
        {QStringLiteral("abcdefghij"), 4, {QStringLiteral("abcd"), QStringLiteral("efgh"), QStringLiteral("ij")}},
        // Hard cuts keep a surrogate pair, and a letter with its marks, whole.
        {str(u"abc\U0001F600def"), 4, {QStringLiteral("abc"), str(u"\U0001F600de"), QStringLiteral("f")}},
        {str(u"e\u0323\u0302e\u0323\u0302"), 4, {str(u"e\u0323\u0302"), str(u"e\u0323\u0302")}},
        {str(u"\U0001F600\U0001F600"), 1, {str(u"\U0001F600"), str(u"\U0001F600")}},
        {QString(), 10, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Text.toStdString());
        EXPECT_EQ(textsOf(SplitForSynthesis(PlainSegment(c.Text), c.MaxUnits)), c.Pieces);
    }
}

TEST(SplitForSynthesis, LongTextKeepsEveryUnitItsOriginAndTheSegmentsVoice)
{
    QString body;
    for (int k = 0; k < 40; ++k) {
        // A dropped tag between sentences belongs to the piece before it.
        body += QStringLiteral("Sentence number %1 says a little. <bookmark mark=\"5\"/>").arg(k);
        if (k % 7 == 0)
            body += QStringLiteral("Then a long one without a stop runs on and on ").repeated(6);
        if (k % 11 == 0)
            body += str(u"Wordswithoutblanks\U0001F600").repeated(8) + u'\n';
    }
    const QString markup = str(u"<voice required=\"name=A\"><pitch absmiddle=\"2\"/>&lt;")
        + body + QStringLiteral("</voice>");
    const QList<TSpeechSegment> segments = ParseSpeechMarkup(markup);
    ASSERT_EQ(segments.size(), 1);
    const TSpeechSegment &segment = segments[0];

    const int limit = 60;
    const QList<TSpeechSegment> pieces = SplitForSynthesis(segment, limit);
    ASSERT_GT(pieces.size(), 40);
    QString text;
    std::vector<int> origins;
    for (qsizetype k = 0; k < pieces.size(); ++k) {
        const TSpeechSegment &piece = pieces[k];
        SCOPED_TRACE(piece.Text.toStdString());
        EXPECT_FALSE(piece.Text.isEmpty());
        EXPECT_LE(piece.Text.size(), limit);
        EXPECT_FALSE(piece.Text.front().isLowSurrogate());
        EXPECT_EQ(piece.VoiceName, QStringLiteral("A"));
        EXPECT_EQ(piece.Pitch, 2);
        EXPECT_TRUE(piece.HasPitch);
        ASSERT_EQ(piece.Origin.size(), size_t(piece.Text.size()));
        EXPECT_EQ(piece.End, k + 1 < pieces.size() ? pieces[k + 1].Origin.front() : segment.End);
        text += piece.Text;
        origins.insert(origins.end(), piece.Origin.begin(), piece.Origin.end());
    }
    EXPECT_EQ(text, segment.Text);
    EXPECT_EQ(origins, segment.Origin);
}

TEST(PrepareForEngine, ComposesLettersAndMapsEachCodePointToItsOrigin)
{
    struct Case
    {
        QString Markup;
        QByteArray Utf8;
        std::vector<int> CodePointOrigin;
    };
    const QByteArray viet("Vi\xE1\xBB\x87t");
    const std::vector<Case> cases = {
        {str(u"<pitch absmiddle=\"1\"/>Việt"), viet, {22, 23, 24, 25, 26}},
        {str(u"<pitch absmiddle=\"1\"/>Vie\u0323\u0302t"), viet, {22, 23, 24, 27, 28}},
        {str(u"<pitch absmiddle=\"1\"/>Vie\u0302\u0323t"), viet, {22, 23, 24, 27, 28}},
        {str(u"a\U0001F600b"), QByteArray("a\xF0\x9F\x98\x80" "b"), {0, 1, 3, 4}},
        {QStringLiteral("x&#x1F600;"), QByteArray("x\xF0\x9F\x98\x80"), {0, 1, 10}},
        // The engine reads a C string: no NUL, and no broken UTF-8.
        {str(u"a&#xE9;") + QChar(0) + QChar(0xD800), QByteArray("a\xC3\xA9 \xEF\xBF\xBD"), {0, 1, 7, 8, 9}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Markup.toStdString());
        const QList<TSpeechSegment> segments = ParseSpeechMarkup(c.Markup);
        ASSERT_EQ(segments.size(), 1);
        const TEngineText engineText = PrepareForEngine(segments[0]);
        EXPECT_EQ(engineText.Utf8, c.Utf8);
        EXPECT_EQ(engineText.CodePointOrigin, c.CodePointOrigin);
    }

    const TEngineText empty = PrepareForEngine(TSpeechSegment{});
    EXPECT_TRUE(empty.Utf8.isEmpty());
    EXPECT_EQ(empty.CodePointOrigin, std::vector<int>{0});
}

TEST(TUtterance, EveryPieceComesBackFromTheParserAsItWasGiven)
{
    // Whatever a user types, an entry holds or a language file says must be
    // spoken, not obeyed.
    const QString text = QStringLiteral("a<b & \"c\" 'd' </VOICE><pitch absmiddle=\"9\"/>");
    const QString name = QStringLiteral("Odd \"voice\" & co");
    TUtterance utterance;
    utterance.Add(QStringLiteral("say "))
        .Add(text, name)
        .Add(QStringLiteral(" more"), name) // joins the piece before
        .AddPause()
        .AddPause() // one break is enough
        .Add(QStringLiteral("after"), name)
        .AddSpelled(QStringLiteral("<"))
        .Add(QStringLiteral("</spell>x"));
    EXPECT_EQ(utterance.Pieces().size(), 6);
    EXPECT_EQ(utterance.PlainText(), QStringLiteral("say ") + text + QStringLiteral(" moreafter<</spell>x"));

    const QList<TSpeechSegment> segments = ParseSpeechMarkup(utterance.Markup());
    ASSERT_EQ(segments.size(), 5) << utterance.Markup().toStdString();
    EXPECT_EQ(segments[0].Text, QStringLiteral("say "));
    EXPECT_TRUE(segments[0].VoiceName.isEmpty());
    EXPECT_EQ(segments[1].Text, text + QStringLiteral(" more"));
    EXPECT_EQ(segments[1].VoiceName, name);
    EXPECT_FALSE(segments[1].HasPitch);
    // The break keeps the same voice apart: the engine pauses between.
    EXPECT_EQ(segments[2].Text, QStringLiteral("after"));
    EXPECT_EQ(segments[2].VoiceName, name);
    EXPECT_EQ(segments[3].Text, QStringLiteral("<"));
    EXPECT_TRUE(segments[3].Spell);
    EXPECT_EQ(segments[4].Text, QStringLiteral("</spell>x"));
    EXPECT_FALSE(segments[4].Spell);
}

TEST(TUtterance, TrimmingDropsBlankPiecesAndBreaksAtTheEnds)
{
    TUtterance utterance;
    utterance.Add(QStringLiteral(" \t"), QStringLiteral("A")).Add(QStringLiteral("  word"), QStringLiteral("B"));
    utterance.Add(QStringLiteral(" next \n")).AddPause();
    const TUtterance trimmed = utterance.Trimmed();
    ASSERT_EQ(trimmed.Pieces().size(), 2);
    EXPECT_EQ(trimmed.PlainText(), QStringLiteral("word next"));
    EXPECT_EQ(trimmed.Pieces()[0].Voice, QStringLiteral("B"));
    EXPECT_TRUE(TUtterance(QStringLiteral(" \r\n")).Trimmed().IsEmpty());
    EXPECT_EQ(TUtterance(QStringLiteral("x")).Markup(), QStringLiteral("x"));
    EXPECT_TRUE(TUtterance().AddPause().IsEmpty()); // a break alone says nothing
}

} // namespace
} // namespace lexivoce::speech
