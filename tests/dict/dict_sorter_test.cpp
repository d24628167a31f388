#include "dict/dict_file.h"
#include "dict/dict_sorter.h"
#include "dict/index_builder.h"
#include "dict/word_list.h"
#include "lang/error.h"
#include "tests/support/errors.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace lexivoce::dict {
namespace {

// Three entries that the word list never offers, and sorting keeps in place.
const QByteArray kHead = "@00-info\r\n@01-author\r\n@02-licence\r\n";

TEST(CompareEntries, KeyIsTheHeadLineLowerCasedAndTrimmed)
{
    EXPECT_EQ(SortKey("@abroad /\xC9\x99'br\xC9\x94:d/\r\n-x"), QStringLiteral("abroad /ə'brɔ:d/"));
    EXPECT_EQ(SortKey("@ \xC3\x81PPLE \r\n"), QStringLiteral("ápple"));
    // Without CR LF the whole entry, '@' included, is the key.
    EXPECT_EQ(SortKey("@a\n-b\n"), QStringLiteral("@a\n-b"));
    EXPECT_EQ(SortKey("@bad \xC3\r\n"), QString());
    // A preamble that begins with its line end has an empty key.
    EXPECT_EQ(SortKey("\r\n"), QString());
    EXPECT_EQ(SortKey("\r\nx\r\n"), QString());

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
    const QByteArray input = kHead + "@c\r\n-3\r\n@a\r\n-1\r\n@b\r\n-2";
    const QByteArray once = SortDictionaryBytes(input);
    EXPECT_EQ(once, kHead + "@a\r\n-1\r\n@b\r\n-2\r\n@c\r\n-3\r\n");
    EXPECT_EQ(SortDictionaryBytes(once), once);

    EXPECT_EQ(SortDictionaryBytes(kHead + "@only"), kHead + "@only\r\n");
    EXPECT_EQ(SortDictionaryBytes(""), QByteArray());
    // A file of header entries only stays as it is, a missing last line end
    // included.
    EXPECT_EQ(SortDictionaryBytes("@c\r\n@b\r\n@a"), QByteArray("@c\r\n@b\r\n@a"));
    // A preamble stays first and counts as one of the three.
    EXPECT_EQ(SortDictionaryBytes("zpre\r\n@h1\r\n@h2\r\n@b\r\n@a\r\n"),
              QByteArray("zpre\r\n@h1\r\n@h2\r\n@a\r\n@b\r\n"));
    // LF-only: keys are whole entries with their '@'.
    EXPECT_EQ(SortDictionaryBytes(kHead + "@b\n@a\n"), kHead + "@a\n@b\n");
    // Equal keys keep their order.
    EXPECT_EQ(SortDictionaryBytes(kHead + "@A\r\n-1\r\n@a\r\n-2\r\n"), kHead + "@A\r\n-1\r\n@a\r\n-2\r\n");
}

TEST(FindMidLineAt, FindsTheFirstAtThatDoesNotBeginALine)
{
    struct Case
    {
        const char *Name;
        QByteArray Bytes;
        qsizetype Line; // 0: none
        const char *Text;
    };
    const std::vector<Case> cases = {
        {"every @ begins a line", "@a\r\n-x\r\n@b\n-y\r@c", 0, ""},
        {"after the byte-order mark", "\xEF\xBB\xBF@a\r\n", 0, ""},
        {"no @ at all", "plain\r\ntext", 0, ""},
        {"inside a meaning", "@a\r\n-mail user@example.com\r\n@b\r\n", 2, "-mail user@example.com"},
        {"glued to a preamble", "pre@a\r\n", 1, "pre@a"},
        {"after a mark that does not start the file", "\n\xEF\xBB\xBF@a", 2, "\xEF\xBB\xBF@a"},
        {"lone CRs count lines", "@a\r@b\r\r\n\tx@y\tz\r\n", 4, "x@y z"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        const std::optional<TMidLineAt> at = FindMidLineAt(c.Bytes);
        if (c.Line == 0) {
            EXPECT_FALSE(at.has_value());
            continue;
        }
        ASSERT_TRUE(at.has_value());
        EXPECT_EQ(at->Line, c.Line);
        EXPECT_EQ(at->Text, QString::fromUtf8(c.Text));
        EXPECT_EQ(c.Bytes[at->Offset], '@');
    }
    // A long line is cut for the message.
    const std::optional<TMidLineAt> long_ = FindMidLineAt("@a\r\n-" + QByteArray(500, 'x') + "@b");
    ASSERT_TRUE(long_.has_value());
    EXPECT_EQ(long_->Text.size(), 83);
}

// Sorting keeps the dictionary usable: what the word list offers before and
// after, what stays in place, and what is refused.
struct SortCase
{
    const char *Name;
    QByteArray Before;
    QByteArray After;        // empty: the sort is refused and the file kept
    QStringList Offered;     // the word list after sorting and indexing
    const char *ErrorPart = "";
};

void PrintTo(const SortCase &c, std::ostream *out)
{
    *out << c.Name;
}

class SortKeepsTheDictionaryUsable : public test::TempDirTest, public ::testing::WithParamInterface<SortCase>
{
};

TEST_P(SortKeepsTheDictionaryUsable, Case)
{
    const SortCase &c = GetParam();
    WriteFile(QStringLiteral("d.dict"), c.Before);
    if (c.After.isEmpty()) {
        const QString error = test::ErrorOf([] { SortDictionary(QStringLiteral("d.dict")); });
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.ErrorPart))) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("d.dict"))) << error.toStdString();
        EXPECT_EQ(ReadFile(QStringLiteral("d.dict")), c.Before);
        EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden), QStringList(QStringLiteral("d.dict")));
    } else {
        EXPECT_EQ(SortDictionary(QStringLiteral("d.dict")), TJobResult::Done);
        EXPECT_EQ(ReadFile(QStringLiteral("d.dict")), c.After);
    }
    // The index keeps reading the file as it is, refused or sorted.
    ASSERT_EQ(BuildIndex(QStringLiteral("d.dict")), TJobResult::Done);
    TWordList list;
    LoadIndex(QStringLiteral("d.index"), list);
    QStringList offered;
    for (int i = 0; i < list.Count(); ++i)
        offered.append(list.Word(i));
    EXPECT_EQ(offered, c.Offered);
    if (c.After.isEmpty())
        return;
    for (const QString &word : std::as_const(offered))
        EXPECT_EQ(list.Word(FindNearest(word, list)), word) << word.toStdString();
}

const QByteArray kUtf8Mark = "\xEF\xBB\xBF";

INSTANTIATE_TEST_SUITE_P(
    Sorting, SortKeepsTheDictionaryUsable,
    ::testing::Values(
        SortCase{"HeaderEntriesStayInPlace",
                 kHead + "@banana\r\n-chuối\r\n@-ism\r\n-học thuyết\r\n@apple\r\n-táo\r\n",
                 kHead + "@-ism\r\n-học thuyết\r\n@apple\r\n-táo\r\n@banana\r\n-chuối\r\n",
                 {QStringLiteral("-ism"), QStringLiteral("apple"), QStringLiteral("banana")}},
        SortCase{"ByteOrderMarkIsThePreamble",
                 kUtf8Mark + "@01-author\r\n@02-licence\r\n@b\r\n@a\r\n",
                 kUtf8Mark + "@01-author\r\n@02-licence\r\n@a\r\n@b\r\n",
                 {QStringLiteral("a"), QStringLiteral("b")}},
        SortCase{"PreambleBeginningWithALineEnd",
                 "\r\n@01-author\r\n@02-licence\r\n@b\r\n@a\r\n",
                 "\r\n@01-author\r\n@02-licence\r\n@a\r\n@b\r\n",
                 {QStringLiteral("a"), QStringLiteral("b")}},
        SortCase{"AtInsideALineIsRefused",
                 kHead + "@gửi thư\r\n-gửi thư cho user@example.com\r\n-nghĩa hai\r\n@a\r\n-x\r\n",
                 "",
                 {QString::fromUtf8("gửi thư"), QStringLiteral("example.com"), QStringLiteral("a")},
                 "Line 5 holds an @ that does not begin the line, and sorting would tear the line apart there: "
                 "\"-gửi thư cho user@example.com\"."},
        SortCase{"PreambleGluedToTheFirstEntryIsRefused",
                 "pre@00-info\r\n@01-author\r\n@b\r\n@a\r\n",
                 "",
                 {QStringLiteral("b"), QStringLiteral("a")},
                 "Line 1"}),
    [](const ::testing::TestParamInfo<SortCase> &param) { return std::string(param.param.Name); });

class SortDictionaryTest : public test::TempDirTest
{
};

TEST_F(SortDictionaryTest, RewritesTheFileInPlace)
{
    WriteFile(QStringLiteral("d.dict"), kHead + "@b\r\n@a\r\n");
    EXPECT_EQ(SortDictionary(QStringLiteral("d.dict")), TJobResult::Done);
    EXPECT_EQ(ReadFile(QStringLiteral("d.dict")), kHead + "@a\r\n@b\r\n");
}

TEST_F(SortDictionaryTest, LinksKeepPointingAtTheSortedFile)
{
    const QByteArray before = kHead + "@b\r\n@a\r\n";
    const QByteArray after = kHead + "@a\r\n@b\r\n";
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("real")));
    WriteFile(QStringLiteral("real/d.dict"), before);
    ASSERT_TRUE(QFile::setPermissions(QStringLiteral("real/d.dict"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    ASSERT_TRUE(QFile::link(QStringLiteral("real/d.dict"), QStringLiteral("link.dict")));
    ASSERT_EQ(::link("real/d.dict", "hard.dict"), 0);

    EXPECT_EQ(SortDictionary(QStringLiteral("link.dict")), TJobResult::Done);
    EXPECT_TRUE(QFileInfo(QStringLiteral("link.dict")).isSymLink());
    EXPECT_EQ(ReadFile(QStringLiteral("link.dict")), after);
    EXPECT_EQ(ReadFile(QStringLiteral("hard.dict")), after);
    EXPECT_EQ(QFileInfo(QStringLiteral("real/d.dict")).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup);
    EXPECT_EQ(QDir(QStringLiteral("real")).entryList(QDir::Files | QDir::Hidden), QStringList(QStringLiteral("d.dict")));
}

TEST_F(SortDictionaryTest, AnOpenDictionaryIsNotSortedAndKeepsItsContent)
{
    const QByteArray original = kHead + "@b\r\n@a\r\n";
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
    QByteArray original = kHead;
    for (int i = 3000; i > 0; --i)
        original += "@w" + QByteArray::number(i) + "\r\n-m\r\n";
    WriteFile(QStringLiteral("big.dict"), original);
    // Asked at every step, the reporter stops the sort at the n-th: while
    // reading, splitting or sorting.
    struct Cancel : TJobReporter
    {
        int Steps = 0;
        bool ProcessEvents() override { return Steps-- > 0; }
        qint64 SliceNs() const override { return 0; }
    };
    for (const int steps : {0, 1, 10, 100}) {
        SCOPED_TRACE(steps);
        Cancel cancel;
        cancel.Steps = steps;
        EXPECT_EQ(SortDictionary(QStringLiteral("big.dict"), &cancel), TJobResult::Cancelled);
        EXPECT_EQ(ReadFile(QStringLiteral("big.dict")), original);
        EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden), QStringList(QStringLiteral("big.dict")));
    }
}

} // namespace
} // namespace lexivoce::dict
