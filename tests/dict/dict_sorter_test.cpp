#include "dict/dict_file.h"
#include "dict/dict_sorter.h"
#include "lang/error.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace lexivoce::dict {
namespace {

TEST(CompareEntries, KeyIsTheHeadLineLowerCasedAndTrimmed)
{
    EXPECT_EQ(SortKey("@abroad /\xC9\x99'br\xC9\x94:d/\r\n-x"), QStringLiteral("abroad /ə'brɔ:d/"));
    EXPECT_EQ(SortKey("@ \xC3\x81PPLE \r\n"), QStringLiteral("ápple"));
    // Without CR LF the whole entry, '@' included, is the key.
    EXPECT_EQ(SortKey("@a\n-b\n"), QStringLiteral("@a\n-b"));
    EXPECT_EQ(SortKey("@bad \xC3\r\n"), QString());

    struct Case
    {
        const char *First;
        const char *Second;
        int Order;
    };
    const std::vector<Case> cases = {
        {"@a\r\n", "@b\r\n", -1},
        {"@B\r\n", "@a\r\n", 1},
        {"@Apple\r\n", "@apple\r\n", 0},
        {"@app\r\n", "@apple\r\n", -1},           // a prefix is smaller
        {"@apple /x/\r\n", "@apple tree\r\n", -1}, // '/' < 't'
        {"@z\r\n", "@\xC3\xA1\r\n", -1},           // code unit order: z < á
    };
    for (const Case &c : cases) {
        EXPECT_EQ(CompareEntries(c.First, c.Second), c.Order) << c.First << " vs " << c.Second;
        EXPECT_EQ(CompareEntries(c.Second, c.First), -c.Order) << c.Second << " vs " << c.First;
    }
}

TEST(SortDictionaryBytes, KeepsEveryEntryAndIsIdempotent)
{
    const QByteArray input = "@c\r\n-3\r\n@a\r\n-1\r\n@b\r\n-2";
    const QByteArray once = SortDictionaryBytes(input);
    EXPECT_EQ(once, QByteArray("@a\r\n-1\r\n@b\r\n-2\r\n@c\r\n-3\r\n"));
    EXPECT_EQ(SortDictionaryBytes(once), once);

    EXPECT_EQ(SortDictionaryBytes("@only"), QByteArray("@only\r\n"));
    EXPECT_EQ(SortDictionaryBytes(""), QByteArray());
    // A preamble sorts like an entry (its first byte is dropped from its key).
    EXPECT_EQ(SortDictionaryBytes("zpre\r\n@b\r\n"), QByteArray("@b\r\nzpre\r\n"));
    // LF-only: keys are whole entries with their '@'.
    EXPECT_EQ(SortDictionaryBytes("@b\n@a\n"), QByteArray("@a\n@b\n"));
    // Equal keys keep their order.
    EXPECT_EQ(SortDictionaryBytes("@A\r\n-1\r\n@a\r\n-2\r\n"), QByteArray("@A\r\n-1\r\n@a\r\n-2\r\n"));
}

class SortDictionaryTest : public test::TempDirTest
{
};

TEST_F(SortDictionaryTest, RewritesTheFileInPlace)
{
    WriteFile(QStringLiteral("d.dict"), "@b\r\n@a\r\n");
    EXPECT_EQ(SortDictionary(QStringLiteral("d.dict")), TJobResult::Done);
    EXPECT_EQ(ReadFile(QStringLiteral("d.dict")), QByteArray("@a\r\n@b\r\n"));
    EXPECT_EQ(SortDictionary(QStringLiteral("missing.dict")), TJobResult::NoFile);
}

TEST_F(SortDictionaryTest, AnOpenDictionaryIsNotSortedAndKeepsItsContent)
{
    const QByteArray original = "@b\r\n@a\r\n";
    WriteFile(QStringLiteral("d.dict"), original);
    TDictFile open;
    open.Open(QStringLiteral("d.dict"));
    try {
        SortDictionary(QStringLiteral("d.dict"));
        FAIL() << "sorting a file in use must fail";
    } catch (const Error &error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("in use"))) << error.what();
    }
    EXPECT_EQ(ReadFile(QStringLiteral("d.dict")), original);
    open.Close();
    EXPECT_EQ(SortDictionary(QStringLiteral("d.dict")), TJobResult::Done);
}

TEST_F(SortDictionaryTest, ACancelledSortLeavesTheFileAsItWas)
{
    QByteArray original;
    for (int i = 300000; i > 0; --i)
        original += "@w" + QByteArray::number(i) + "\r\n-m\r\n";
    WriteFile(QStringLiteral("big.dict"), original);
    struct Cancel : TJobReporter
    {
        bool ProcessEvents() override { return false; }
    } cancel;
    const TJobResult result = SortDictionary(QStringLiteral("big.dict"), &cancel);
    if (result == TJobResult::Done)
        GTEST_SKIP() << "the sort finished within one time slice";
    EXPECT_EQ(result, TJobResult::Cancelled);
    EXPECT_EQ(ReadFile(QStringLiteral("big.dict")), original);
}

} // namespace
} // namespace lexivoce::dict
