#include "dict/index_builder.h"
#include "dict/locked_file.h"
#include "lang/error.h"
#include "tests/support/errors.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>


#include <sys/stat.h>
#include <unistd.h>

namespace lexivoce::dict {
namespace {

QByteArray indexOf(const QByteArray &dictionary)
{
    TIndexBuilder builder;
    builder.Feed(dictionary.constData(), dictionary.size());
    builder.Finish();
    return QByteArray(builder.Output().data(), static_cast<qsizetype>(builder.Output().size()));
}

TEST(IndexBuilder, LinesFollowTheEntries)
{
    struct Case
    {
        const char *Name;
        QByteArray Dictionary;
        QByteArray Index;
    };
    const std::vector<Case> cases = {
        {"empty file", "", "\tA\tA"},
        {"no @ at all", "hello\r\n", "\tA\tH"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF@a\r\n", "\tA\tD\na\tD\tE"},
        {"word ends at / and is trimmed", "@abroad /x/\r\n-y\r\n@b /z/", "abroad\tA\tR\nb\tR\tG"},
        {"head line without / loses its CR", "@abc\r\n@d", "abc\tA\tG\nd\tG\tC"},
        {"[ does not end the word", "@book [buk]\n", "book [buk]\tA\tM"},
        {"@ inside a line starts an entry", "@a\n-x@b\n", "a\tA\tF\nb\tF\tD"},
        {"preamble", "xy@a", "\tA\tC\na\tC\tC"},
        {"TAB inside the word becomes a blank", "@a\tb /x/\n", "a b\tA\tJ"},
        {"LF ends collecting, later / is ignored", "@a\n/b/\n", "a\tA\tH"},
        {"lone CR ends the word", "@a\r-b\r", "a\tA\tG"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(indexOf(c.Dictionary), c.Index);
    }
}

TEST(IndexBuilder, PiecesOfAnySizeGiveTheSameIndex)
{
    const QByteArray dictionary = "pre@one /w/\r\n-a@two\r\n!x\r\n@  three  \r\n=a+b\r\n@";
    const QByteArray whole = indexOf(dictionary);
    for (int piece = 1; piece <= 5; ++piece) {
        TIndexBuilder builder;
        for (qsizetype at = 0; at < dictionary.size(); at += piece)
            builder.Feed(dictionary.constData() + at, std::min<qsizetype>(piece, dictionary.size() - at));
        builder.Finish();
        EXPECT_EQ(QByteArrayView(builder.Output().data(), static_cast<qsizetype>(builder.Output().size())), whole)
            << "piece " << piece;
    }
}

class BuildIndexTest : public test::TempDirTest
{
};

struct Recorder : TJobReporter
{
    QStringList Notices;
    QList<int> Percents;
    int EventsUntilCancel = -1;
    qint64 Slice = 10'000'000;

    void Notice(const lang::TMessage &message) override { Notices.append(message.Text()); }
    void Progress(int percent) override { Percents.append(percent); }
    bool ProcessEvents() override { return EventsUntilCancel < 0 || EventsUntilCancel-- > 0; }
    qint64 SliceNs() const override { return Slice; }
};

TEST_F(BuildIndexTest, WritesTheIndexBesideTheDictionaryAndReportsProgress)
{
    QByteArray dictionary;
    for (int i = 0; i < 2000; ++i)
        dictionary += "@word" + QByteArray::number(i) + " /x/\r\n-meaning\r\n";
    WriteFile(QStringLiteral("big.dict"), dictionary);
    Recorder recorder;
    EXPECT_EQ(BuildIndex(QStringLiteral("big.dict"), &recorder), TJobResult::Done);
    EXPECT_EQ(ReadFile(QStringLiteral("big.index")), indexOf(dictionary));
    EXPECT_EQ(recorder.Notices, QStringList{QStringLiteral("Creating index file")});
    ASSERT_FALSE(recorder.Percents.isEmpty());
    EXPECT_EQ(recorder.Percents.front(), 0);
    EXPECT_EQ(recorder.Percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(recorder.Percents.begin(), recorder.Percents.end()));
}

TEST_F(BuildIndexTest, WhatIsNoDictionaryIsNamedAndNothingIsWritten)
{
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("folder.dict")));
    ASSERT_EQ(::mkfifo("pipe.dict", 0600), 0);
    const struct {
        QString Dictionary;
        QString Error;
    } cases[] = {
        {QStringLiteral("none.dict"), QStringLiteral("The file \"none.dict\" does not exist.")},
        {QStringLiteral("folder.dict"), QStringLiteral("\"folder.dict\" is a folder, not a file.")},
        // Refused at once: opening a FIFO to read would wait for a writer.
        {QStringLiteral("pipe.dict"), QStringLiteral("\"pipe.dict\" is not a regular file (a pipe or a device, for "
                                                     "one); Lexivoce reads only regular files.")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Dictionary.toStdString());
        Recorder recorder;
        EXPECT_EQ(test::ErrorOf([&] { BuildIndex(c.Dictionary, &recorder); }), c.Error);
        EXPECT_TRUE(recorder.Notices.isEmpty());
        EXPECT_FALSE(QFile::exists(IndexFileName(c.Dictionary)));
    }
}

TEST_F(BuildIndexTest, FailuresLeaveTheOldIndex)
{
    WriteFile(QStringLiteral("a.dict"), "@a\r\n");
    WriteFile(QStringLiteral("a.index"), "old");

    // A dictionary of 2 GB or more would need offsets that do not fit.
    QFile big(PathOf(QStringLiteral("a.dict")));
    ASSERT_TRUE(big.resize(kMaxDictionarySize + 1)); // sparse: takes no space
    EXPECT_THROW(BuildIndex(QStringLiteral("a.dict")), Error);
    EXPECT_EQ(ReadFile(QStringLiteral("a.index")), QByteArray("old"));
    ASSERT_TRUE(big.resize(4));

    // An index that cannot be created (its name is taken by a folder).
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("b.index")));
    WriteFile(QStringLiteral("b.dict"), "@a\r\n");
    EXPECT_EQ(test::ErrorOf([] { BuildIndex(QStringLiteral("b.dict")); }),
              QStringLiteral("Cannot write file \"b.index\". It is a folder"));

    // A dictionary that would be its own index.
    WriteFile(QStringLiteral("words.index"), "@a\r\n");
    EXPECT_EQ(test::ErrorOf([] { BuildIndex(QStringLiteral("words.index")); }),
              QStringLiteral("The dictionary \"words.index\" has the name of its own index file; give it another "
                             "extension (\".dict\")."));
    EXPECT_EQ(ReadFile(QStringLiteral("words.index")), QByteArray("@a\r\n"));
    QFile::remove(QStringLiteral("words.index"));

    // A write refused half-way, as a full disk refuses it (the tiny file
    // system tests of lexivoce-dict have the real thing).
    QByteArray dictionary;
    for (int i = 0; i < 20000; ++i)
        dictionary += "@word" + QByteArray::number(i) + "\r\n-m\r\n";
    WriteFile(QStringLiteral("a.dict"), dictionary);
    const QString error = test::ErrorUnderFileSizeLimit(100000, [] { BuildIndex(QStringLiteral("a.dict")); });
    EXPECT_EQ(error, QStringLiteral("Cannot write file \"a.index\". File too large"));
    EXPECT_EQ(ReadFile(QStringLiteral("a.index")), QByteArray("old"));
    EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral("a.dict"), QStringLiteral("a.index"), QStringLiteral("b.dict")}));
}

TEST_F(BuildIndexTest, AnIndexReachedThroughALinkIsRewrittenAtItsTarget)
{
    WriteFile(QStringLiteral("d.dict"), "@a\r\n");
    WriteFile(QStringLiteral("elsewhere.index"), "old");
    ASSERT_TRUE(QFile::link(QStringLiteral("elsewhere.index"), QStringLiteral("d.index")));
    EXPECT_EQ(BuildIndex(QStringLiteral("d.dict")), TJobResult::Done);
    EXPECT_TRUE(QFileInfo(QStringLiteral("d.index")).isSymLink());
    EXPECT_EQ(ReadFile(QStringLiteral("elsewhere.index")), QByteArray("a\tA\tE"));
}

TEST_F(BuildIndexTest, CancellingKeepsTheOldIndex)
{
    // Four chunks of the file: the reporter, asked after each, stops the
    // build after the first, the second or the third.
    QByteArray dictionary;
    while (dictionary.size() < 4 * kIndexReadChunk - 100)
        dictionary += "@w" + QByteArray::number(dictionary.size()) + "\r\n-m\r\n";
    WriteFile(QStringLiteral("c.dict"), dictionary);
    WriteFile(QStringLiteral("c.index"), "old");
    for (const int events : {0, 1, 2}) {
        SCOPED_TRACE(events);
        Recorder recorder;
        recorder.Slice = 0;
        recorder.EventsUntilCancel = events;
        EXPECT_EQ(BuildIndex(QStringLiteral("c.dict"), &recorder), TJobResult::Cancelled);
        EXPECT_EQ(ReadFile(QStringLiteral("c.index")), QByteArray("old"));
        EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden),
                  QStringList({QStringLiteral("c.dict"), QStringLiteral("c.index")}));
    }
    Recorder recorder;
    recorder.Slice = 0;
    EXPECT_EQ(BuildIndex(QStringLiteral("c.dict"), &recorder), TJobResult::Done);
    EXPECT_EQ(ReadFile(QStringLiteral("c.index")), indexOf(dictionary));
}

TEST(IndexFileName, ReplacesTheExtensionOfTheFileNameOnly)
{
    EXPECT_EQ(IndexFileName(QStringLiteral("/d/en-vi.dict")), QStringLiteral("/d/en-vi.index"));
    EXPECT_EQ(IndexFileName(QStringLiteral("words")), QStringLiteral("words.index"));
    EXPECT_EQ(IndexFileName(QStringLiteral("a.b.c")), QStringLiteral("a.b.index"));
    EXPECT_EQ(IndexFileName(QStringLiteral("my.dicts/words")), QStringLiteral("my.dicts/words.index"));
}

} // namespace
} // namespace lexivoce::dict
