// Fetching entries from a dictionary file whose index may be stale, damaged
// or crafted, and refusing paths that are not regular files.
#include "dict/dict_file.h"
#include "dict/index_builder.h"
#include "dict/index_number.h"
#include "dict/word_list.h"
#include "lang/error.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace lexivoce::dict {
namespace {

const QByteArray kHeader = "@00-info\r\n-x\r\n@00-short\r\n-x\r\n@00-url\r\n-x\r\n";

class DictFileTest : public test::TempDirTest
{
protected:
    void SetModified(const QString &name, const QDateTime &time)
    {
        QFile file(PathOf(name));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    }
};

TEST_F(DictFileTest, ALengthIsCutToTheFileTheEntryAndTheBound)
{
    const QByteArray huge = "@huge\r\n-" + QByteArray("\xE1\xBB\x87").repeated(100000); // 300 KB of "ệ"
    WriteFile(QStringLiteral("d.dict"), "@a\n-x\n@b\r\n-y\r\n" + huge);
    const std::int32_t hugeAt = 14;
    TDictFile file;
    file.Open(QStringLiteral("d.dict"));

    struct Case
    {
        const char *Name;
        TLocation Location;
        QByteArray Text;
        bool Cut;
    };
    const std::vector<Case> cases = {
        {"exact", {0, 6}, "@a\r\n-x\r\n", false},
        {"a crafted 2 GiB length stops at the next entry", {0, 0x7FFFFFFF}, "@a\r\n-x\r\n", false},
        {"a length running on into the next entries", {6, 5000}, "@b\r\n-y\r\n", false},
        {"an offset past the end", {static_cast<std::int32_t>(hugeAt + huge.size()), 5}, "", false},
        {"a negative offset", {-1, 5}, "", false},
        {"a zero length", {0, 0}, "", false},
        {"a huge entry with a 2 GiB length is cut to the bound",
         {hugeAt, 0x7FFFFFFF}, huge.first(8 + (kMaxEntryBytes - 8) / 3 * 3), true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        bool cut = !c.Cut;
        const QByteArray text = file.ReadEntry(c.Location, &cut);
        EXPECT_EQ(text.size(), c.Text.size());
        EXPECT_EQ(text, c.Text);
        EXPECT_EQ(cut, c.Cut);
    }
}

TEST_F(DictFileTest, AFreshIndexLeadsToEveryWordsEntryAndAStaleOneDoesNot)
{
    // Head words the index takes in the ways it does: a transcription, a
    // bracket, blanks, a TAB, LF-only lines, decomposed letters, malformed
    // UTF-8, and one longer than the list holds.
    const QByteArray longWord = QByteArray("\xE1\xBB\x87").repeated(800);
    const QByteArray dictionary = kHeader + "@abroad /\xC9\x99'br\xC9\x94:d/\r\n-x\r\n@book [buk]\n-y\n"
                                + "@  blank before /b/\r\n@a\tb\r\n@ca\xCC\x80 phe\xCC\x82\r\n-z\r\n@\xC3\r\n"
                                + "@" + longWord + "\r\n-long\r\n@zebra";
    WriteFile(QStringLiteral("d.dict"), dictionary);
    ASSERT_EQ(BuildIndex(PathOf(QStringLiteral("d.dict"))), TJobResult::Done);
    TWordList list;
    LoadIndex(QStringLiteral("d.index"), list);
    ASSERT_EQ(list.Count(), 8);
    TDictFile file;
    file.Open(QStringLiteral("d.dict"));
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_TRUE(IsEntryOf(file.ReadEntry(list.Location(i)), list.Word(i))) << i;

    // The dictionary edited after its index was built: every word but the
    // first is now somewhere else.
    file.Close();
    QByteArray edited = dictionary;
    edited.insert(edited.indexOf("-x\r\n@book"), "-ở nước ngoài\r\n");
    WriteFile(QStringLiteral("d.dict"), edited);
    file.Open(QStringLiteral("d.dict"));
    EXPECT_TRUE(IsEntryOf(file.ReadEntry(list.Location(0)), list.Word(0)));
    for (int i = 1; i < list.Count(); ++i)
        EXPECT_FALSE(IsEntryOf(file.ReadEntry(list.Location(i)), list.Word(i))) << i;
}

TEST_F(DictFileTest, PathsThatAreNotRegularFilesAreRefusedBeforeTheyAreOpened)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(PathOf(QStringLiteral("fifo"))).constData(), 0600), 0);
    QDir().mkdir(QStringLiteral("folder"));
    TWordList list;
    for (const QString &path : {PathOf(QStringLiteral("fifo")), QStringLiteral("/dev/zero"), PathOf(QStringLiteral("folder"))}) {
        SCOPED_TRACE(path.toStdString());
        // Opening the FIFO for reading would wait for a writer forever, and
        // /dev/zero would be read without end.
        try {
            TDictFile().Open(path);
            ADD_FAILURE() << "opened";
        } catch (const Error &error) {
            EXPECT_TRUE(error.message().contains(path));
        }
        EXPECT_THROW(LoadIndex(path, list), Error);
        EXPECT_THROW(RequireRegularFile(path), Error);
    }
    // A symbolic link to a regular file is that file; a missing file is for
    // the open to report.
    WriteFile(QStringLiteral("real.dict"), "@a");
    ASSERT_TRUE(QFile::link(PathOf(QStringLiteral("real.dict")), PathOf(QStringLiteral("link.dict"))));
    EXPECT_NO_THROW(TDictFile().Open(QStringLiteral("link.dict")));
    EXPECT_NO_THROW(RequireRegularFile(QStringLiteral("missing.dict")));
}

TEST_F(DictFileTest, AnIndexIsOlderOnlyWhenTheDictionaryChangedWellAfterIt)
{
    WriteFile(QStringLiteral("d.dict"), "@a");
    WriteFile(QStringLiteral("d.index"), "");
    const QDateTime base = QDateTime::currentDateTime().addDays(-1);
    struct Case
    {
        const char *Name;
        qint64 DictionaryAfterIndexMs;
        bool Older;
    };
    const std::vector<Case> cases = {
        {"edited an hour later", 3600 * 1000, true},
        {"edited three seconds later", 3000, true},
        {"copied together, the dictionary last", 900, false},
        {"same time", 0, false},
        {"index built later", -60 * 1000, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        SetModified(QStringLiteral("d.index"), base);
        SetModified(QStringLiteral("d.dict"), base.addMSecs(c.DictionaryAfterIndexMs));
        EXPECT_EQ(IsIndexOlder(QStringLiteral("d.dict"), QStringLiteral("d.index")), c.Older);
    }
    EXPECT_FALSE(IsIndexOlder(QStringLiteral("d.dict"), QStringLiteral("missing.index")));
    EXPECT_FALSE(IsIndexOlder(QStringLiteral("missing.dict"), QStringLiteral("d.index")));
}

} // namespace
} // namespace lexivoce::dict
