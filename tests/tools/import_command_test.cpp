#include "dict/registry.h"
#include "lang/ini_file.h"

#include "tests/dict/import_fixtures.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

namespace lexivoce::test {
namespace {

// lexivoce-dict import, run as a user runs it, with a profile of the test's
// own so that --register never reaches the developer's.
class ImportCommandTest : public TempDirTest
{
protected:
    TProgramRun run(const QStringList &arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LEXIVOCE_PROFILE"), PathOf(QStringLiteral("profile")));
        environment.insert(QStringLiteral("LEXIVOCE_AUDIO"), QStringLiteral("null"));
        return RunProgram(QStringLiteral(LEXIVOCE_DICT_BINARY), arguments, environment);
    }

    QString profileRegistry() const { return PathOf(QStringLiteral("profile/") + dict::RegistryFileName()); }

    void SetUp() override
    {
        TempDirTest::SetUp();
        WriteDictd(QStringLiteral("tiny"), {{"00-database-short", "Tiny\n"},
                                            {"cat", "cat /kæt/\n1. con mèo\n"},
                                            {"dog", "dog\ncon chó\n"}},
                   true);
    }
};

TEST_F(ImportCommandTest, ImportsSortsIndexesAndSaysSo)
{
    const TProgramRun imported = run({QStringLiteral("import"), QStringLiteral("dictd"), QStringLiteral("tiny.index"),
                              QStringLiteral("out.dict")});
    EXPECT_EQ(imported.Exit, 0) << imported.Err.toStdString();
    EXPECT_EQ(imported.Out, QStringLiteral("2 entries imported into out.dict\n"));
    EXPECT_TRUE(imported.Err.isEmpty()) << imported.Err.toStdString();
    EXPECT_TRUE(QFile::exists(QStringLiteral("out.index")));
    EXPECT_FALSE(QFile::exists(profileRegistry()));

    const TProgramRun shown = run({QStringLiteral("show"), QStringLiteral("out.dict"), QStringLiteral("cat")});
    EXPECT_EQ(shown.Out, QString::fromUtf8("cat /kæt/\n1. con mèo\n\n"));

    // Options may follow the values; the format's name is case-blind.
    WriteFile(QStringLiteral("tiny.dsl"), "#NAME \"DSL\"\r\nrat\r\n\t[m1]con chuột\r\n");
    const TProgramRun dsl = run({QStringLiteral("import"), QStringLiteral("DSL"), QStringLiteral("tiny.dsl"),
                         QStringLiteral("dsl.dict"), QStringLiteral("--name"), QStringLiteral("Rats")});
    EXPECT_EQ(dsl.Exit, 0) << dsl.Err.toStdString();
    EXPECT_EQ(run({QStringLiteral("find"), QStringLiteral("dsl.dict"), QStringLiteral("RAT")}).Out,
              QStringLiteral("0\trat\n"));
}

TEST_F(ImportCommandTest, ARefusalIsOneLineAndWritesNothing)
{
    WriteFile(QStringLiteral("taken.dict"), "mine");
    WriteFile(QStringLiteral("bad.index"), "cat\tA\tZZ\n");
    WriteFile(QStringLiteral("bad.dict"), "short");
    const QStringList register_ = {QStringLiteral("--register")};
    const struct {
        QStringList Arguments;
        QString Error;
        bool AlsoRegistering = true;
    } cases[] = {
        {{QStringLiteral("import"), QStringLiteral("dictd"), QStringLiteral("bad.index"), QStringLiteral("out.dict")},
         QStringLiteral("points past the end of \"bad.dict\"")},
        {{QStringLiteral("import"), QStringLiteral("dictd"), QStringLiteral("tiny"), QStringLiteral("taken.dict")},
         QStringLiteral("\"taken.dict\" already exists")},
        {{QStringLiteral("import"), QStringLiteral("stardict"), QStringLiteral("tiny"), QStringLiteral("out.dict")},
         QStringLiteral("The file \"tiny.ifo\" does not exist.")},
        {{QStringLiteral("import"), QStringLiteral("babylon"), QStringLiteral("tiny"), QStringLiteral("out.dict")},
         QStringLiteral("unknown format babylon")},
        {{QStringLiteral("import"), QStringLiteral("dictd"), QStringLiteral("tiny")},
         QStringLiteral("wrong number of arguments")},
        {{QStringLiteral("import"), QStringLiteral("dictd"), QStringLiteral("tiny"), QStringLiteral("out.dict"),
          QStringLiteral("--profile"), QStringLiteral("elsewhere")},
         QStringLiteral("--profile goes with --register"), false},
    };
    for (const auto &c : cases) {
        for (const bool registering : {false, true}) {
            if (registering && !c.AlsoRegistering)
                continue;
            const QStringList arguments = registering ? c.Arguments + register_ : c.Arguments;
            SCOPED_TRACE(arguments.join(u' ').toStdString());
            const TProgramRun result = run(arguments);
            EXPECT_EQ(result.Exit, 1);
            EXPECT_TRUE(result.Out.isEmpty()) << result.Out.toStdString();
            EXPECT_EQ(result.Err.count(u'\n'), 1) << result.Err.toStdString();
            EXPECT_TRUE(result.Err.startsWith(QStringLiteral("lexivoce-dict: "))) << result.Err.toStdString();
            EXPECT_TRUE(result.Err.contains(c.Error)) << result.Err.toStdString();
            EXPECT_FALSE(QFile::exists(QStringLiteral("out.dict")));
            EXPECT_FALSE(QFile::exists(QStringLiteral("out.index")));
            EXPECT_FALSE(QFile::exists(QStringLiteral("taken.index")));
            EXPECT_FALSE(QFile::exists(PathOf(QStringLiteral("profile"))));
        }
    }
    EXPECT_EQ(ReadFile(QStringLiteral("taken.dict")), "mine");
    // No temporary file is left beside the output either.
    EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden).size(), 5);
}

TEST_F(ImportCommandTest, RegisteringFillsAFreshProfileAndNamesTheVoices)
{
    const TProgramRun voices = run({QStringLiteral("voices")});
    const QStringList voiceNames = voices.Out.split(u'\n', Qt::SkipEmptyParts);
    const qsizetype english = voiceNames.indexOf(QStringLiteral("English (Great Britain)"));
    const qsizetype vietnamese = voiceNames.indexOf(QStringLiteral("Vietnamese (Northern)"));
    if (english < 0 || vietnamese < 0)
        GTEST_SKIP() << "espeak-ng has no English (Great Britain) or Vietnamese (Northern) voice";

    const TProgramRun registered = run({QStringLiteral("import"), QStringLiteral("dictd"), QStringLiteral("tiny.index"),
                                QStringLiteral("out.dict"), QStringLiteral("--register")});
    ASSERT_EQ(registered.Exit, 0) << registered.Err.toStdString();
    EXPECT_TRUE(registered.Out.endsWith(QStringLiteral("registered as \"Tiny\" in %1\n").arg(profileRegistry())))
        << registered.Out.toStdString();

    lang::TIniFile registry(profileRegistry());
    const QList<dict::TDictRecord> records = dict::ReadOfferedDictionaries(registry);
    ASSERT_EQ(records.size(), 2); // the shipped dictionary kept, ours after it
    EXPECT_EQ(records[1].Name, QStringLiteral("Tiny"));
    EXPECT_EQ(records[1].Path, PathOf(QStringLiteral("out.dict")));
    for (const dict::TDictRecord &record : records) {
        SCOPED_TRACE(record.Name.toStdString());
        EXPECT_EQ(record.Voice1, english);
        EXPECT_EQ(record.Voice2, vietnamese);
    }
    EXPECT_TRUE(QFile::exists(PathOf(QStringLiteral("profile/dict/en-vi.dict"))));

    // The same name again is refused before anything is written; another
    // name, in another profile given on the command line, is not.
    const QByteArray before = ReadFile(QStringLiteral("profile/Lexivoce.ini"));
    const TProgramRun again = run({QStringLiteral("import"), QStringLiteral("dictd"), QStringLiteral("tiny"),
                           QStringLiteral("again.dict"), QStringLiteral("--register")});
    EXPECT_EQ(again.Exit, 1);
    EXPECT_TRUE(again.Err.contains(QStringLiteral("already has a dictionary called \"Tiny\""))) << again.Err.toStdString();
    EXPECT_FALSE(QFile::exists(QStringLiteral("again.dict")));
    EXPECT_EQ(ReadFile(QStringLiteral("profile/Lexivoce.ini")), before);

    const TProgramRun named = run({QStringLiteral("import"), QStringLiteral("dictd"), QStringLiteral("tiny"),
                           QStringLiteral("again.dict"), QStringLiteral("--register"), QStringLiteral("--name"),
                           QStringLiteral("Tiny 2"), QStringLiteral("--profile"), QStringLiteral("other")});
    EXPECT_EQ(named.Exit, 0) << named.Err.toStdString();
    lang::TIniFile other(PathOf(QStringLiteral("other/") + dict::RegistryFileName()));
    EXPECT_TRUE(other.SectionExists(QStringLiteral("Tiny 2")));
}

} // namespace
} // namespace lexivoce::test
