#include "dict/entry_renderer.h"
#include "view/styled_document.h"

#include "tests/support/sample_entry.h"

#include <gtest/gtest.h>

#include <QString>

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
