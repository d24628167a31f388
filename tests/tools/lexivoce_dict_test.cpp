#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <sys/stat.h>

namespace lexivoce::test {
namespace {

class LexivoceDictTest : public TempDirTest
{
protected:
    TProgramRun run(const QStringList &arguments) { return RunProgram(QStringLiteral(LEXIVOCE_DICT_BINARY), arguments); }

    void SetUp() override
    {
        TempDirTest::SetUp();
        QByteArray sample = TestData(QStringLiteral("dict/sample.dict"));
        ASSERT_FALSE(sample.isEmpty());
        // Put one entry out of order so that --sort has work to do.
        const qsizetype book = sample.indexOf("@book");
        const QByteArray bookEntry = sample.mid(book, sample.indexOf("@Vi") - book);
        sample.remove(book, bookEntry.size());
        sample.insert(sample.indexOf("@abroad"), bookEntry);
        WriteFile(QStringLiteral("sample.dict"), sample);
    }
};

TEST_F(LexivoceDictTest, IndexFindRenderShow)
{
    EXPECT_EQ(run({QStringLiteral("index"), QStringLiteral("--sort"), QStringLiteral("sample.dict")}).Exit, 0);
    EXPECT_TRUE(QFile::exists(QStringLiteral("sample.index")));

    TProgramRun found = run({QStringLiteral("find"), QStringLiteral("sample.dict"), QStringLiteral("BOOK [buk]")});
    EXPECT_EQ(found.Exit, 0);
    EXPECT_EQ(found.Out, QStringLiteral("3\tbook [buk]\n"));

    TProgramRun missing = run({QStringLiteral("find"), QStringLiteral("sample.dict"), QStringLiteral("zzz")});
    EXPECT_EQ(missing.Exit, 2);
    EXPECT_TRUE(missing.Out.isEmpty());

    EXPECT_EQ(run({QStringLiteral("find"), QStringLiteral("--nearest"), QStringLiteral("sample.dict"),
                   QStringLiteral("apple s")}).Out,
              QStringLiteral("2\tapple tree\n"));
    EXPECT_EQ(run({QStringLiteral("find"), QStringLiteral("--nearest"), QStringLiteral("sample.dict"),
                   QStringLiteral("zzz")}).Out,
              QStringLiteral("5\n"));

    TProgramRun rendered = run({QStringLiteral("render"), QStringLiteral("sample.dict"), QStringLiteral("0")});
    EXPECT_EQ(rendered.Exit, 0);
    EXPECT_TRUE(rendered.Out.startsWith(QStringLiteral("0\t0\t0\tabroad \n1\t6\t-1\t/ə'brɔ:d/\n2\t1\t1\tphó từ\n")))
        << rendered.Out.toStdString();
    EXPECT_TRUE(rendered.Out.contains(QStringLiteral("\n4\t-6\t4\t#0\n")));
    EXPECT_TRUE(rendered.Out.endsWith(QStringLiteral("\t0\t0\t\n")));

    TProgramRun shown = run({QStringLiteral("show"), QStringLiteral("sample.dict"), QStringLiteral("việt nam")});
    EXPECT_EQ(shown.Exit, 0);
    EXPECT_EQ(shown.Out, QStringLiteral("Việt Nam\ndanh từ\nnước Việt Nam\n\n"));
}

TEST_F(LexivoceDictTest, ErrorsAreOneLineAndExitOne)
{
    for (const QStringList &arguments : {
             QStringList{QStringLiteral("index"), QStringLiteral("missing.dict")},
             QStringList{QStringLiteral("find"), QStringLiteral("missing.dict"), QStringLiteral("a")},
             QStringList{QStringLiteral("render"), QStringLiteral("sample.dict"), QStringLiteral("x")},
             QStringList{QStringLiteral("frobnicate")},
             QStringList{QStringLiteral("find"), QStringLiteral("--bogus"), QStringLiteral("a"), QStringLiteral("b")},
         }) {
        const TProgramRun result = run(arguments);
        EXPECT_EQ(result.Exit, 1) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(result.Err.count(QLatin1Char('\n')), 1) << result.Err.toStdString();
        EXPECT_TRUE(result.Out.isEmpty());
    }
    ASSERT_EQ(run({QStringLiteral("index"), QStringLiteral("sample.dict")}).Exit, 0);
    EXPECT_EQ(run({QStringLiteral("render"), QStringLiteral("sample.dict"), QStringLiteral("5")}).Exit, 1);
    EXPECT_EQ(run({QStringLiteral("--help")}).Exit, 0);
}

TEST_F(LexivoceDictTest, IndexSaysWhyItCannot)
{
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("folder.dict")));
    const QByteArray torn = "@00-info\r\n@01-author\r\n@02-licence\r\n@mail\r\n-gửi thư cho user@example.com\r\n";
    WriteFile(QStringLiteral("torn.dict"), torn);
    const struct {
        QStringList Arguments;
        QString Error;
    } cases[] = {
        {{QStringLiteral("index"), QStringLiteral("missing.dict")},
         QStringLiteral("The file \"missing.dict\" does not exist.")},
        {{QStringLiteral("index"), QStringLiteral("--sort"), QStringLiteral("folder.dict")},
         QStringLiteral("\"folder.dict\" is a folder, not a file.")},
        {{QStringLiteral("index"), QStringLiteral("--sort"), QStringLiteral("torn.dict")},
         QString::fromUtf8("Cannot sort \"torn.dict\". Line 5 holds an @ that does not begin the line, and sorting "
                           "would tear the line apart there: \"-gửi thư cho user@example.com\". The file was not "
                           "changed.")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Arguments.join(u' ').toStdString());
        const TProgramRun result = run(c.Arguments);
        EXPECT_EQ(result.Exit, 1);
        EXPECT_EQ(result.Err, QStringLiteral("lexivoce-dict: ") + c.Error + u'\n');
    }
    EXPECT_EQ(ReadFile(QStringLiteral("torn.dict")), torn);
    EXPECT_FALSE(QFile::exists(QStringLiteral("torn.index")));
    // Without sorting, the index reads the file as it is.
    EXPECT_EQ(run({QStringLiteral("index"), QStringLiteral("torn.dict")}).Exit, 0);
    EXPECT_EQ(run({QStringLiteral("find"), QStringLiteral("torn.dict"), QStringLiteral("example.com")}).Exit, 0);
}

TEST_F(LexivoceDictTest, AStaleOrDamagedIndexIsAnErrorAndNeverShowsAnotherEntry)
{
    ASSERT_EQ(run({QStringLiteral("index"), QStringLiteral("sample.dict")}).Exit, 0);
    const QByteArray index = ReadFile(QStringLiteral("sample.index"));

    // A length crafted to 2 GiB gives the entry alone, at once.
    QList<QByteArray> lines = index.split('\n');
    for (QByteArray &line : lines) {
        if (line.startsWith("abroad\t"))
            line = line.first(line.lastIndexOf('\t') + 1) + "B/////";
    }
    WriteFile(QStringLiteral("sample.index"), lines.join('\n'));
    const TProgramRun shown = run({QStringLiteral("show"), QStringLiteral("sample.dict"), QStringLiteral("abroad")});
    EXPECT_EQ(shown.Exit, 0) << shown.Err.toStdString();
    EXPECT_TRUE(shown.Out.startsWith(QStringLiteral("abroad /ə'brɔ:d/\n"))) << shown.Out.toStdString();
    EXPECT_FALSE(shown.Out.contains(QStringLiteral("book"))) << shown.Out.toStdString();

    // The dictionary edited after its index: every entry after the edit is
    // elsewhere.
    WriteFile(QStringLiteral("sample.index"), index);
    QByteArray edited = ReadFile(QStringLiteral("sample.dict"));
    edited.insert(edited.indexOf("@abroad"), "@added\r\n-mới\r\n");
    WriteFile(QStringLiteral("sample.dict"), edited);
    for (const QStringList &arguments : {
             QStringList{QStringLiteral("show"), QStringLiteral("sample.dict"), QStringLiteral("abroad")},
             QStringList{QStringLiteral("render"), QStringLiteral("sample.dict"), QStringLiteral("1")},
         }) {
        const TProgramRun result = run(arguments);
        EXPECT_EQ(result.Exit, 1) << arguments.join(QLatin1Char(' ')).toStdString() << result.Out.toStdString() << result.Err.toStdString();
        EXPECT_TRUE(result.Out.isEmpty()) << result.Out.toStdString();
        EXPECT_EQ(result.Err.count(QLatin1Char('\n')), 1);
        EXPECT_TRUE(result.Err.contains(QStringLiteral("out of date"))) << result.Err.toStdString();
    }
}

TEST_F(LexivoceDictTest, AHugeEntryIsCutWithANoticeAndFindComparesNormalisedText)
{
    QByteArray dictionary = ReadFile(QStringLiteral("sample.dict"));
    dictionary += "@zz huge\r\n-" + QByteArray("con chó nhỏ ").repeated(2'000'000) + "\r\n";
    WriteFile(QStringLiteral("sample.dict"), dictionary);
    ASSERT_EQ(run({QStringLiteral("index"), QStringLiteral("sample.dict")}).Exit, 0);
    const TProgramRun shown = run({QStringLiteral("show"), QStringLiteral("sample.dict"), QStringLiteral("zz huge")});
    EXPECT_EQ(shown.Exit, 0);
    EXPECT_TRUE(shown.Out.startsWith(QStringLiteral("zz huge\ncon chó nhỏ con")));
    EXPECT_LT(shown.Out.toUtf8().size(), 70 * 1024);
    EXPECT_EQ(shown.Err, QStringLiteral("lexivoce-dict: the entry of \"zz huge\" is too long; only its beginning is shown\n"));

    // "việt nam" with combining marks finds the precomposed head word.
    const TProgramRun found = run({QStringLiteral("find"), QStringLiteral("sample.dict"), QString::fromUtf8("VIE\xCC\xA3\xCC\x82T NAM")});
    EXPECT_EQ(found.Exit, 0);
    EXPECT_EQ(found.Out, QStringLiteral("4\tViệt Nam\n"));
}

TEST_F(LexivoceDictTest, AnIndexThatIsNotARegularFileIsRefusedAtOnce)
{
    ASSERT_EQ(::mkfifo("sample.index", 0600), 0);
    const TProgramRun result = run({QStringLiteral("find"), QStringLiteral("sample.dict"), QStringLiteral("abroad")});
    EXPECT_EQ(result.Exit, 1);
    EXPECT_EQ(result.Err.count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(result.Err.contains(QStringLiteral("not a regular file"))) << result.Err.toStdString();
}

} // namespace
} // namespace lexivoce::test
