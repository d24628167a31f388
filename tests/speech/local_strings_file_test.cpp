#include "speech/local_strings_file.h"
#include "tests/support/temp_dir.h"

#include <QFile>

namespace lexivoce::speech {
namespace {

using LocalStringsFileTest = test::TempDirTest;

const QString kFile = QStringLiteral("Lexivoce.vie");

TEST_F(LocalStringsFileTest, EveryWordComesFromTheKeyOfItsName)
{
    QByteArray text = "[LocalStrings]\n";
    for (const char *key : LocalStringReadOrder())
        text += QByteArray(key) + "=word " + key + "\n";
    WriteFile(kFile, text);

    const TLocalStrings words = LoadLocalStrings(PathOf(kFile));
    for (const TLocalStringKey &entry : LocalStringKeys())
        EXPECT_EQ(words.*entry.Field, QStringLiteral("word ") + QString::fromLatin1(entry.Key)) << entry.Key;
}

TEST_F(LocalStringsFileTest, WithoutTheSectionEveryWordIsEmpty)
{
    const struct {
        const char *name;
        const char *text; // nullptr: no file
    } cases[] = {
        {"no file", nullptr},
        {"empty file", ""},
        {"other sections only", "[CONTROLS]\nstComma=comma\n[Language]\neng=English\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(kFile);
        if (c.text)
            WriteFile(kFile, c.text);
        EXPECT_EQ(LoadLocalStrings(kFile), TLocalStrings());
        EXPECT_EQ(QFile::exists(kFile), c.text != nullptr) << "nothing is written";
    }
}

TEST_F(LocalStringsFileTest, PresentKeysFillTheirWordsAndTheRestAreEmpty)
{
    const QByteArray text = QStringLiteral("[localstrings]\nstComma=dấu phẩy\nSTSPACE=dấu cách\nstDot=\n"
                                           "stUnknown=x\n").toUtf8();
    WriteFile(kFile, text);

    TLocalStrings expected;
    expected.stComma = QStringLiteral("dấu phẩy");
    expected.stSpace = QStringLiteral("dấu cách");
    EXPECT_EQ(LoadLocalStrings(kFile), expected);
    EXPECT_EQ(ReadFile(kFile), text) << "the file is only read";
}

} // namespace
} // namespace lexivoce::speech
