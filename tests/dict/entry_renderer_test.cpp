#include "dict/entry_renderer.h"
#include "dict/text.h"
#include "view/styled_document.h"

#include "tests/support/sample_entry.h"

#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <string>
#include <vector>

namespace lexivoce::dict {
namespace {

using view::kContinuePara;
using view::kPictureStyle;

// One expected item: text (or "#n" for picture n), text style, paragraph
// style when it starts a paragraph, else -1.
struct Item
{
    const char *Text;
    int Style;
    int Para;
};

void expectItems(const view::TStyledDocument &doc, const std::vector<Item> &expected)
{
    ASSERT_EQ(doc.ItemCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < doc.ItemCount(); ++i) {
        SCOPED_TRACE(testing::Message() << "item " << i);
        const view::TDocItem &item = doc.Item(i);
        const QString text = item.StyleNo == kPictureStyle ? QStringLiteral("#%1").arg(item.ImageIndex) : item.Text;
        EXPECT_EQ(text, QString::fromUtf8(expected[i].Text));
        EXPECT_EQ(item.StyleNo, expected[i].Style);
        EXPECT_EQ(item.ParaNo, expected[i].Para);
    }
}

void render(const char *entry, view::TStyledDocument &doc)
{
    RenderEntry(doc, QByteArrayView(entry));
}

using test::kSampleEntry;

const std::vector<Item> kSampleItems = {
    {"abroad ", 0, 0}, {"/ə'brɔ:d/", 6, -1},
    {"phó từ", 1, 1},
    {"ở nước ngoài, ra nước ngoài", 2, 2},
    {"#0", kPictureStyle, 4}, {"to ", 4, -1}, {"live ", 4, -1}, {"abroad", 4, -1}, {": sống ở nước ngoài", 5, -1},
    {"#0", kPictureStyle, 4}, {"to ", 4, -1}, {"go ", 4, -1}, {"abroad", 4, -1}, {": đi ra nước ngoài", 5, -1},
    {"#1", kPictureStyle, 3}, {"from ", 3, -1}, {"abroad", 3, -1},
    {"từ nước ngoài", 2, 2},
    {"#0", kPictureStyle, 4}, {"these ", 4, -1}, {"machines ", 4, -1}, {"were ", 4, -1}, {"brought ", 4, -1},
    {"from ", 4, -1}, {"abroad", 4, -1}, {": những chiếc máy này mang từ nước ngoài vào", 5, -1},
    {"", 0, 0},
};

TEST(RenderEntry, SampleEntryGivesTheExactItems)
{
    view::TStyledDocument doc;
    render(kSampleEntry, doc);
    expectItems(doc, kSampleItems);
}

TEST(RenderEntry, LfOnlyAndLoneCrRenderLikeCrLf)
{
    QByteArray lf(kSampleEntry);
    lf.replace("\r\n", "\n");
    QByteArray cr(kSampleEntry);
    cr.replace("\r\n", "\r");
    for (const QByteArray &entry : {lf, cr}) {
        view::TStyledDocument doc;
        RenderEntry(doc, entry);
        expectItems(doc, kSampleItems);
    }
}

TEST(RenderEntry, RenderingTwiceShowsTheEntryTwiceSeparatedByAnEmptyParagraph)
{
    view::TStyledDocument doc;
    render("@a\r\n-x\r\n", doc);
    render("@a\r\n-x\r\n", doc);
    expectItems(doc, {{"a", 0, 0}, {"x", 2, 2}, {"", 0, 0}, {"a", 0, 0}, {"x", 2, 2}, {"", 0, 0}});
}

TEST(RenderEntry, LineShapes)
{
    struct Case
    {
        const char *Name;
        std::string Entry;
        std::vector<Item> Items;
    };
    const std::vector<Case> cases = {
        {"example without + ends with the colon item alone", "=to go",
         {{"#0", kPictureStyle, 4}, {"to ", 4, -1}, {"go", 4, -1}, {": ", 5, -1}, {"", 0, 0}}},
        {"head line without / or [ is one head word item without a blank", "@hello world \r\n",
         {{"hello world", 0, 0}, {"", 0, 0}}},
        {"bracketed transcription is shown apart", "@book [buk]",
         {{"book ", 0, 0}, {"[buk]", 6, -1}, {"", 0, 0}}},
        {"a slash wins over an earlier bracket", "@a [b] /c/",
         {{"a [b] ", 0, 0}, {"/c/", 6, -1}, {"", 0, 0}}},
        {"markers alone", "*\n-\n!\n=\n+\n/\n",
         {{"", 1, 1}, {"", 2, 2}, {"#1", kPictureStyle, 3}, {"#0", kPictureStyle, 4}, {": ", 5, -1},
          {"", 5, 4}, {"", 6, 4}, {"", 0, 0}}},
        {"an unmarked line loses its first character and takes the head word style", "xHello\n",
         {{"Hello", 0, 0}, {"", 0, 0}}},
        {"translation and transcription lines", "+ dịch \n/fəˈnɛtɪk/\n",
         {{"dịch", 5, 4}, {"fəˈnɛtɪk/", 6, 4}, {"", 0, 0}}},
        {"malformed UTF-8 empties its piece only", "-good\n-bad \xE1\x80\n=ok+ \xC3\n",
         {{"good", 2, 2}, {"", 2, 2}, {"#0", kPictureStyle, 4}, {"ok", 4, -1}, {"", 5, -1}, {"", 0, 0}}},
        {"a NUL ends the text", std::string("-one\n-two\0-three\n", 17), {{"one", 2, 2}, {"two", 2, 2}, {"", 0, 0}}},
        {"empty lines are skipped", "\r\n\r\n-x\n\n", {{"x", 2, 2}, {"", 0, 0}}},
        {"example commas and quotes vanish, the translation keeps its punctuation",
         "=\"a, b\" c,d+ x, \"y\".",
         {{"#0", kPictureStyle, 4}, {"a, b ", 4, -1}, {"c ", 4, -1}, {"d", 4, -1}, {": x, \"y\".", 5, -1}, {"", 0, 0}}},
        {"only the first + divides an example", "=1+1+2",
         {{"#0", kPictureStyle, 4}, {"1", 4, -1}, {": 1+2", 5, -1}, {"", 0, 0}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        view::TStyledDocument doc;
        RenderEntry(doc, QByteArrayView(c.Entry.data(), static_cast<qsizetype>(c.Entry.size())));
        expectItems(doc, c.Items);
    }
}

TEST(RenderEntry, AnOrdinaryEntryIsNotCut)
{
    view::TStyledDocument doc;
    EXPECT_FALSE(RenderEntry(doc, QByteArrayView(kSampleEntry)));
    // A long meaning with places to break is shown whole.
    const QByteArray meaning = "-" + QByteArray("con chó nhỏ ").repeated(4000);
    view::TStyledDocument longMeaning;
    EXPECT_FALSE(RenderEntry(longMeaning, meaning));
    EXPECT_EQ(longMeaning.ItemText(0).size(), QString::fromUtf8(meaning.sliced(1)).trimmed().size());
}

TEST(RenderEntry, HugeEntriesAreCutToWhatTheViewLaysOutQuickly)
{
    struct Case
    {
        const char *Name;
        QByteArray Entry;
    };
    const std::vector<Case> cases = {
        {"an example of many words", "@w\r\n=" + QByteArray("dog cat ").repeated(10000) + "+ chó\r\n-after\r\n"},
        {"many short lines", "@w\r\n" + QByteArray("-x\r\n").repeated(5000)},
        {"many idioms", "@w\r\n" + QByteArray("!a b\n").repeated(5000)},
        {"many words on head lines", QByteArray("@a /b/\r\n").repeated(5000)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        view::TStyledDocument doc;
        EXPECT_TRUE(RenderEntry(doc, c.Entry));
        int paragraphs = 0;
        for (int i = 0; i < doc.ItemCount(); ++i)
            paragraphs += doc.StartsParagraph(i) ? 1 : 0;
        // The bounds, and the separating paragraph after them.
        EXPECT_LE(doc.ItemCount(), kMaxEntryItems + 1);
        EXPECT_LE(paragraphs, kMaxEntryParagraphs + 1);
        EXPECT_GE(doc.ItemCount(), std::min(kMaxEntryItems, kMaxEntryParagraphs));
        EXPECT_EQ(doc.ItemText(doc.ItemCount() - 1), QString());
        EXPECT_TRUE(doc.StartsParagraph(doc.ItemCount() - 1));
    }
}

TEST(RenderEntry, ARunWithoutAPlaceToBreakEndsItsLine)
{
    struct Case
    {
        const char *Name;
        QByteArray Run;
    };
    const std::vector<Case> cases = {
        {"ASCII", QByteArray("abcdefghij").repeated(300)},
        {"three-byte letters, never split", QByteArray("ệ").repeated(3000)},
        {"letters outside the BMP are not supported, so the line shows empty", QByteArray("\xF0\x9F\x98\x80").repeated(300)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        view::TStyledDocument doc;
        const QByteArray entry = "@w\r\n-start " + c.Run + " tail\r\n-next line\r\n";
        const bool valid = !DecodeUtf8(c.Run).isEmpty();
        EXPECT_EQ(RenderEntry(doc, entry), valid);
        ASSERT_EQ(doc.ItemCount(), 4);
        const QString shown = doc.ItemText(1);
        if (valid) {
            // "start " and the run up to the bound; the rest of the line is gone.
            EXPECT_EQ(shown.size(), 6 + kMaxUnbreakableRun);
            EXPECT_TRUE(QString::fromUtf8(c.Run).startsWith(shown.sliced(6)));
        } else {
            EXPECT_EQ(shown, QString());
        }
        EXPECT_EQ(doc.ItemText(2), QStringLiteral("next line"));
    }
    // Up to the bound, a run is kept whole.
    view::TStyledDocument doc;
    EXPECT_FALSE(RenderEntry(doc, "-" + QByteArray("a").repeated(kMaxUnbreakableRun)));
}

TEST(SplitWords, CommaSeparatedTextRules)
{
    struct Case
    {
        const char *Text;
        QStringList Words;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"   ", {}},
        {"from abroad", {QStringLiteral("from"), QStringLiteral("abroad")}},
        {"  a   b  ", {QStringLiteral("a"), QStringLiteral("b")}},
        {"a,b", {QStringLiteral("a"), QStringLiteral("b")}},
        {"a , b", {QStringLiteral("a"), QStringLiteral("b")}},
        {"a,,b", {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {"a,", {QStringLiteral("a"), QString()}},
        {"a, ", {QStringLiteral("a")}},
        {"\"x y\" z", {QStringLiteral("x y"), QStringLiteral("z")}},
        {"\"say \"\"hi\"\"\"", {QStringLiteral("say \"hi\"")}},
        {"\"open to the end", {QStringLiteral("open to the end")}},
        {"\"\"", {QString()}},
        {"\"ab\"cd", {QStringLiteral("ab"), QStringLiteral("cd")}},
        {"a\tb", {QStringLiteral("a"), QStringLiteral("b")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(SplitWords(QString::fromUtf8(c.Text)), c.Words);
    }
}

} // namespace
} // namespace lexivoce::dict
