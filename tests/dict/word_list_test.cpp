#include "dict/dict_file.h"
#include "dict/word_list.h"
#include "lang/error.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <vector>

namespace lexivoce::dict {
namespace {

const QByteArray kHeader = "h1\tA\tA\nh2\tA\tA\nh3\tA\tA\n";

QStringList wordsOf(const TWordList &list)
{
    QStringList words;
    for (int i = 0; i < list.Count(); ++i)
        words.append(list.Word(i));
    return words;
}

// FindExact's answers for keys, asked before the list's exact table is
// built and again after: both must be the same.
std::vector<int> findExactBothWays(TWordList &list, const QStringList &keys)
{
    std::vector<int> before;
    for (const QString &key : keys)
        before.push_back(FindExact(key, list));
    list.BuildExactTable();
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.HasExactTable(); }, 10000));
    std::vector<int> after;
    for (const QString &key : keys)
        after.push_back(FindExact(key, list));
    EXPECT_EQ(before, after) << "the answer changed once the table was built";
    return after;
}

TEST(WordList, FillSkipsThreeLinesAndLinesWithoutTwoTabs)
{
    TWordList list;
    list.Fill("a\tA\tA\r\n\r\nc\tA\tA\rone\tBk\tB\rk\ntwo\tC\nthree\tD\tE\tF\n\xC3\tA\tB");
    // Lines: "a", "", "c" are skipped; "one" (CR ends the line, so its length
    // is B); "two" lacks a second TAB; "k" none; "three" keeps everything
    // after its second TAB as the length; a malformed word is empty.
    EXPECT_EQ(wordsOf(list), (QStringList{QStringLiteral("one"), QStringLiteral("three"), QString()}));
    EXPECT_EQ(list.Location(0), (TLocation{100, 1}));
    EXPECT_EQ(list.Location(1), (TLocation{3, 4 * 64 + 5}));
    EXPECT_EQ(list.Location(2), (TLocation{0, 1}));

    list.Fill("x\tA\tA\ny\tA\tA\nz\tA\tA");
    EXPECT_EQ(list.Count(), 0);
}

TEST(WordList, FillResetsTheModelOnce)
{
    TWordList list;
    QSignalSpy resets(&list, &QAbstractItemModel::modelReset);
    list.Fill(kHeader + "a\tA\tB\nb\tB\tB");
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.data(list.index(1)).toString(), QStringLiteral("b"));
}

TEST(WordList, FindNearestIsALowerCasedBinarySearch)
{
    TWordList list;
    list.Fill(kHeader + "Apple\tA\tB\napple\tA\tB\napple tree\tA\tB\nbook\tA\tB\nvi\xE1\xBB\x87t\tA\tB");
    const std::vector<std::pair<QString, int>> cases = {
        {QString(), 0},
        {QStringLiteral("a"), 0},
        {QStringLiteral("APPLE"), 0},      // first of equal words
        {QStringLiteral("apple "), 2},
        {QStringLiteral("b"), 3},
        {QStringLiteral(" book"), 0},      // the key is not trimmed
        {QStringLiteral("VIỆT"), 4},
        {QStringLiteral("zebra"), 5},      // greater than every word: the count
    };
    for (const auto &[key, position] : cases)
        EXPECT_EQ(FindNearest(key, list), position) << key.toStdString();
    EXPECT_EQ(FindNearest(QStringLiteral("a"), TWordList()), 0);
}

TEST(WordList, FindExactIgnoresCaseOnlyAndFindsTheTopmost)
{
    TWordList list;
    list.Fill(kHeader + "Zed\tA\tB\napple\tB\tB\nApple\tC\tB\nVI\xE1\xBB\x86T\tD\tB\nbook [buk]\tE\tB");
    const QStringList keys = {QStringLiteral("APPLE"), QStringLiteral("zed"), QStringLiteral("việt"),
                              QStringLiteral("book [BUK]"),
                              QStringLiteral("book"),  // no partial match
                              QStringLiteral(" zed"),  // no trimming
                              QString(), QStringLiteral("\U0001D400")};
    EXPECT_EQ(findExactBothWays(list, keys), (std::vector<int>{1, 0, 3, 4, -1, -1, -1, -1}));
    EXPECT_EQ(FindExact(QStringLiteral("a"), TWordList()), -1);
}

TEST(WordList, FindExactAgreesWithALinearSearchOnManyWords)
{
    // Small lists build their table at once, long ones on a thread.
    for (const int words : {5000, 150000}) {
        QByteArray index = kHeader;
        const int distinct = words / 3;
        for (int i = 0; i < words; ++i)
            index += "w" + QByteArray::number(i % distinct) + (i % 3 ? "" : "X") + "\tA\tB\n";
        TWordList list;
        list.Fill(index);
        QStringList keys;
        for (int probe = 0; probe < distinct + 100; probe += distinct / 250)
            keys << QStringLiteral("w%1").arg(probe) << QStringLiteral("W%1x").arg(probe);
        const std::vector<int> found = findExactBothWays(list, keys);
        for (qsizetype k = 0; k < keys.size(); ++k) {
            int expected = -1;
            for (int i = 0; i < list.Count() && expected < 0; ++i) {
                if (list.Word(i).compare(keys[k], Qt::CaseInsensitive) == 0)
                    expected = i;
            }
            EXPECT_EQ(found[static_cast<size_t>(k)], expected) << keys[k].toStdString();
        }
        // Refilling stops a build under way and starts over without a table.
        list.BuildExactTable();
        list.Fill(kHeader + "Only\tA\tB");
        EXPECT_FALSE(list.HasExactTable());
        EXPECT_EQ(FindExact(QStringLiteral("only"), list), 0);
    }
}

TEST(WordList, LookUpsCompareTextInNormalisationFormC)
{
    // "cà phê" decomposed (a, combining grave; e, combining circumflex),
    // "Việt" precomposed, and "ệ" with its marks in the other order.
    const QByteArray decomposed = "ca\xCC\x80 phe\xCC\x82";
    const QByteArray precomposed = "Vi\xE1\xBB\x87t";
    const QByteArray reordered = "e\xCC\x82\xCC\xA3";
    TWordList list;
    list.Fill(kHeader + "apple\tA\tB\n" + decomposed + "\tB\tB\n" + reordered + "\tC\tB\n" + precomposed + "\tD\tB");
    // The list shows the index's bytes as they are.
    EXPECT_EQ(list.Word(1), QString::fromUtf8(decomposed));

    const std::vector<std::pair<QString, int>> exact = {
        {QStringLiteral("cà phê"), 1},                 // precomposed finds decomposed
        {QStringLiteral("CÀ PHÊ"), 1},                 // and ignores case
        {QString::fromUtf8(decomposed), 1},
        {QStringLiteral("ệ"), 2},                      // canonical order of marks
        {QString::fromUtf8("Vie\xCC\xA3\xCC\x82t"), 3}, // decomposed finds precomposed
        {QStringLiteral("APPLE"), 0},
        {QStringLiteral("cà phe"), -1},                // a missing mark is another word
    };
    QStringList keys;
    std::vector<int> positions;
    for (const auto &[key, position] : exact) {
        keys << key;
        positions.push_back(position);
    }
    EXPECT_EQ(findExactBothWays(list, keys), positions);

    TWordList sorted;
    sorted.Fill(kHeader + "c\xC3\xA0\tA\tB\nc\xC3\xA1\tA\tB\nvi\xE1\xBB\x87t\tA\tB\nvi\xE1\xBB\x87tz\tA\tB");
    const std::vector<std::pair<QString, int>> nearest = {
        {QString::fromUtf8("ca\xCC\x81"), 1},        // "cá" decomposed: at the precomposed one
        {QString::fromUtf8("VIE\xCC\xA3\xCC\x82T"), 2},
        {QString::fromUtf8("vie\xCC\xA3\xCC\x82ta"), 3},
    };
    for (const auto &[key, position] : nearest)
        EXPECT_EQ(FindNearest(key, sorted), position) << key.toStdString();

    // A decomposed word sorts by its composed letter, not by its bare one.
    TWordList marked;
    marked.Fill(kHeader + "cb\tA\tB\nca\xCC\x80\tA\tB");
    EXPECT_EQ(FindNearest(QStringLiteral("cc"), marked), 1);
    EXPECT_EQ(FindNearest(QStringLiteral("cà"), marked), 1);
}

TEST(WordList, AHugeHeadWordIsCutAtACharacterBoundary)
{
    const QByteArray huge = QByteArray("\xE1\xBB\x87").repeated(1 << 20); // 3 MB of "ệ"
    TWordList list;
    list.Fill(kHeader + huge + "\tA\tB\nnext\tB\tC");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Word(0), QString(kMaxWordBytes / 3, QChar(0x1EC7)));
    EXPECT_EQ(list.Location(0), (TLocation{0, 1}));
    EXPECT_EQ(list.Word(1), QStringLiteral("next"));
    EXPECT_EQ(CapWordBytes("abc"), QByteArrayView("abc"));
}

TEST(WordList, AnEntryIsItsWordsOnlyWhenItsHeadWordIsTheWord)
{
    struct Case
    {
        const char *Entry;
        const char *Word;
        bool Is;
    };
    const std::vector<Case> cases = {
        {"@abroad /\xC9\x99'br\xC9\x94:d/\r\n-x\r\n", "abroad", true},
        {"@abroad /x/\r\n", "ABROAD", true},                   // as FindExact compares
        {"@book [buk]\r\n", "book [buk]", true},               // a bracket does not end the word
        {"@  spaced  \r\n-x", "spaced", true},
        {"@a\tb\r\n", "a b", true},                           // the index makes a TAB a blank
        {"@only", "only", true},
        {"@ca\xCC\x80\r\n", "c\xC3\xA0", true},              // normalisation form C
        {"@\xC3\r\n", "", true},                               // malformed: empty on both sides
        {"@dog\r\n-con ch\xC3\xB3\r\n", "\xC3\xA0", false},   // another word's entry
        {"og\r\n-con ch\xC3\xB3\r\n@", "dog", false},          // not at an entry's start
        {"", "dog", false},                                       // nothing there
        {"@dogs\r\n", "dog", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsEntryOf(c.Entry, QString::fromUtf8(c.Word)), c.Is) << c.Entry;
}

class DictFilesTest : public test::TempDirTest
{
};

TEST_F(DictFilesTest, LoadIndexFailureLeavesTheListEmpty)
{
    TWordList list;
    list.Fill(kHeader + "a\tA\tB");
    EXPECT_THROW(LoadIndex(QStringLiteral("missing.index"), list), Error);
    EXPECT_EQ(list.Count(), 0);
    WriteFile(QStringLiteral("x.index"), kHeader + "a\tA\tB\nb\tB\tC");
    LoadIndex(QStringLiteral("x.index"), list);
    EXPECT_EQ(wordsOf(list), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
}

TEST_F(DictFilesTest, ReadingInChunksGivesWhatTheWholeFileGives)
{
    // Lines across the reader's 1 MiB chunks: a CR LF and a lone CR right at
    // a chunk's end, and one line longer than a chunk.
    constexpr qsizetype kChunk = 1 << 20;
    QByteArray index = kHeader;
    int n = 0;
    const auto fillTo = [&](qsizetype size) {
        while (index.size() + 20 < size)
            index += "w" + QByteArray::number(n++) + "\tB\tC\n";
        index += QByteArray(size - index.size(), 'x');
    };
    fillTo(kChunk - 1);
    index += "\r\nboundary\tA\tB\r\n";
    // The first read's CR was carried into the second, which ends a byte
    // earlier in the file.
    fillTo(2 * kChunk - 2);
    index += "\rlone\tC\tD\n" + QByteArray(kChunk + 10, 'y') + "\tE\tF\ncut\tG\tH\r";
    WriteFile(QStringLiteral("chunks.index"), index);

    TWordList whole;
    whole.Fill(index);
    TWordListContent content;
    ASSERT_TRUE(ReadIndex(QStringLiteral("chunks.index"), content));
    ASSERT_EQ(content.Count(), whole.Count());
    for (int i = 0; i < whole.Count(); ++i) {
        ASSERT_EQ(content.Word(i), whole.WordView(i)) << i;
        ASSERT_EQ(content.Location(i), whole.Location(i)) << i;
    }
    EXPECT_TRUE(wordsOf(whole).contains(QStringLiteral("boundary")));
    EXPECT_TRUE(wordsOf(whole).contains(QStringLiteral("lone")));
    EXPECT_EQ(whole.Word(whole.Count() - 1), QStringLiteral("cut"));

    // A read that is asked to stop ends early.
    const std::atomic<bool> stop{true};
    TWordListContent stopped;
    EXPECT_FALSE(ReadIndex(QStringLiteral("chunks.index"), stopped, &stop));
}

TEST_F(DictFilesTest, EntriesAreReadByLocationClampedToTheFile)
{
    WriteFile(QStringLiteral("d.dict"), "@a\n-x\r\n@b\n");
    TDictFile file;
    EXPECT_TRUE(file.ReadEntry({0, 5}).isEmpty()); // not open
    file.Open(QStringLiteral("d.dict"));
    EXPECT_EQ(file.ReadEntry({0, 7}), QByteArray("@a\r\n-x\r\n"));
    EXPECT_EQ(file.ReadEntry({7, 1000}), QByteArray("@b\r\n")); // stale length: to the end
    EXPECT_TRUE(file.ReadEntry({100, 5}).isEmpty());            // past the end
    EXPECT_TRUE(file.ReadEntry({-1, 5}).isEmpty());             // damaged index
    EXPECT_TRUE(file.ReadEntry({0, -5}).isEmpty());
    EXPECT_THROW(TDictFile().Open(QStringLiteral("missing.dict")), Error);
}

} // namespace
} // namespace lexivoce::dict
