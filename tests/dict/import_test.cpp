#include "dict/dict_sorter.h"
#include "dict/import_dictd.h"
#include "dict/import_dictionary.h"
#include "dict/import_dsl.h"
#include "dict/import_markup.h"
#include "dict/import_register.h"
#include "dict/import_stardict.h"
#include "lang/ini_file.h"

#include "tests/dict/import_fixtures.h"
#include "tests/support/errors.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QFileInfo>

namespace lexivoce::dict {
namespace {

using test::LookUp;
using test::TSourceEntries;

QByteArray u8(const char *text)
{
    return QByteArray(text);
}

// Bytes with NULs inside, as a literal gives them.
template <size_t N>
QByteArray bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

constexpr char kNoHeader[] = "@00-database-info\r\n@00-database-short\r\n@00-database-url\r\n";

TEST(ImportWriterTest, EscapesWhatWouldBreakTheFormatAndDropsEmptyPieces)
{
    TDictTextWriter writer;
    writer.WriteHeader("About\n\nthis", "Tiny", "");
    ASSERT_TRUE(writer.BeginEntry("and/or", "ænd ɔː"));
    writer.AddLine('-', "  mail user@example.com\tnow ");
    writer.AddLine('-', "   ");
    writer.AddExample("1 + 1", "một + một");
    writer.AddExample("a wave \xF0\x9F\x8C\x8A", "");
    writer.AddLine('*', "danh\x01từ");
    EXPECT_FALSE(writer.BeginEntry(" \t ", "x"));
    writer.AddLine('-', "dropped with its empty word");
    EXPECT_EQ(writer.Entries(), 1);
    const QByteArray text = writer.TakeText();
    EXPECT_EQ(text, u8("@00-database-info\r\n-About\r\n-this\r\n@00-database-short\r\n-Tiny\r\n@00-database-url\r\n"
                       "@and\xE2\x88\x95or /ænd ɔː/\r\n-mail user\xEF\xBC\xA0" "example.com now\r\n"
                       "=1 \xEF\xBC\x8B 1+một + một\r\n=a wave \xEF\xBF\xBD\r\n*danh từ\r\n"));
    // Sorting accepts it, and the index lists the whole word.
    EXPECT_FALSE(FindMidLineAt(text).has_value());
    TIndexBuilder index;
    index.Feed(text.constData(), text.size());
    index.Finish();
    EXPECT_NE(index.Output().find("\nand\xE2\x88\x95or\t"), std::string_view::npos);

    TDictTextWriter bad;
    ASSERT_TRUE(bad.BeginEntry("word"));
    EXPECT_THROW(bad.AddLine('-', "caf\xE9"), TDictTextWriter::TNotUtf8);
    EXPECT_THROW(bad.BeginEntry("\xED\xA0\x80"), TDictTextWriter::TNotUtf8); // an encoded surrogate
}

TEST(ImportWriterTest, PlainTextTakesTheHeadLineApart)
{
    const struct {
        const char *Word;
        const char *Text;
        const char *Transcription;
        const char *Expected;
    } cases[] = {
        {"cat", "cat /kæt/ <n>\n1. con mèo\n", "", "@cat /kæt/\r\n*n\r\n-1. con mèo\r\n"},
        {"abc", "\n  ABC /eibiːsiː/\n  bảng chữ cái", "", "@ABC /eibiːsiː/\r\n-bảng chữ cái\r\n"},
        {"việt", "VIỆT /viət/ more text\r\n", "", "@VIỆT /viət/\r\n-more text\r\n"},
        {"dog", "dog\ncon chó", "", "@dog\r\n-con chó\r\n"},
        {"cat", "catalog /x/\nmục lục", "", "@cat\r\n-catalog /x/\r\n-mục lục\r\n"},
        {"cat", "cat food\n", "", "@cat\r\n-cat food\r\n"},
        {"cat", "cat /wrong/\nmèo", "kæt", "@cat /kæt/\r\n-mèo\r\n"},
        {" cat ", "mèo", "", "@cat\r\n-mèo\r\n"},
        {"", "orphan text", "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Text);
        TDictTextWriter writer;
        WritePlainEntry(writer, c.Word, c.Text, c.Transcription);
        EXPECT_EQ(writer.TakeText(), u8(c.Expected));
    }
}

TEST(ImportFormatTest, DictdNumbers)
{
    EXPECT_EQ(DecodeDictdNumber("A"), 0u);
    EXPECT_EQ(DecodeDictdNumber("/"), 63u);
    EXPECT_EQ(DecodeDictdNumber("BA"), 64u);
    EXPECT_EQ(DecodeDictdNumber("LNK"), 11u * 4096 + 13 * 64 + 10);
    EXPECT_EQ(DecodeDictdNumber("////////"), (quint64{1} << 48) - 1);
    for (const char *bad : {"", "A=", " A", "AAAAAAAAA"})
        EXPECT_FALSE(DecodeDictdNumber(bad).has_value()) << bad;
}

TEST(ImportFormatTest, MarkupBecomesLines)
{
    EXPECT_EQ(MarkupToText("<b>con</b> mèo<br>người\n&lt;hay&gt;&nbsp;c&#225;u&#x21;<script>x<y</script><P>end",
                           TMarkup::Html).Text,
              u8("con mèo\nngười <hay> cáu!\nend"));
    EXPECT_EQ(MarkupToText("a < b &bogus; <span foreground=\"red\">red</span>\nnext", TMarkup::Pango).Text,
              u8("a < b &bogus; red\nnext"));
    const TMarkupText xdxf = MarkupToText("<k>dog</k><tr>dɒɡ</tr> <abr>n</abr> con chó<ex>a dog barks</ex>",
                                          TMarkup::Xdxf);
    EXPECT_EQ(xdxf.Text, u8(" n con chó\na dog barks\n"));
    EXPECT_EQ(xdxf.Transcription, u8("dɒɡ"));
}

TEST(ImportFormatTest, DslHeadWordVariants)
{
    EXPECT_EQ(DslHeadWords(u"colo(u)r"), (QStringList{QStringLiteral("colour"), QStringLiteral("color")}));
    EXPECT_EQ(DslHeadWords(u"{to }paint{ [p]v[/p]}"), QStringList{QStringLiteral("paint")});
    EXPECT_EQ(DslHeadWords(u"  a\\(b\\)   c\\{d\\} "), QStringList{QStringLiteral("a(b) c{d}")});
    EXPECT_EQ(DslHeadWords(u"(the) end"), (QStringList{QStringLiteral("the end"), QStringLiteral("end")}));
    EXPECT_EQ(DslHeadWords(u"a(b)(c)(d)(e)(f)").size(), 16);
    EXPECT_TRUE(DslHeadWords(u"{only unsorted}").isEmpty());
}

using ImportTest = test::TempDirTest;

const TSourceEntries kDictd = {
    {"00-database-info", "00-database-info\nA tiny test dictionary.\n\n  Second line.\n"},
    {"00-database-short", "00-database-short\n    Tiny English-Vietnamese\n"},
    {"00-database-url", "http://example.org/tiny\n"},
    {"00-database-utf8", "\n"},
    {"cat", "cat /kæt/ <n>\n1. con mèo\n2. người hay cáu\n"},
    {"dog", "Dog\n  con chó\n"},
    {"and/or", "and/or /ænd ɔː/\nvà/hoặc, user@example.com\n"},
    {"color", "color /ˈkʌlə/\nmàu\n"},
    {"colour", ""}, // the text of "color"
};

TEST_F(ImportTest, DictdBecomesOurEntriesAndIsFoundAgain)
{
    test::WriteDictd(QStringLiteral("tiny"), kDictd, true);
    TImportedText imported = ConvertDictd(QStringLiteral("tiny.index"));
    EXPECT_EQ(imported.Name, QStringLiteral("Tiny English-Vietnamese"));
    EXPECT_EQ(imported.Entries, 5);
    EXPECT_EQ(imported.Text,
              u8("@00-database-info\r\n-A tiny test dictionary.\r\n-Second line.\r\n"
                 "@00-database-short\r\n-Tiny English-Vietnamese\r\n@00-database-url\r\n-http://example.org/tiny\r\n"
                 "@cat /kæt/\r\n*n\r\n-1. con mèo\r\n-2. người hay cáu\r\n"
                 "@Dog\r\n-con chó\r\n"
                 "@and\xE2\x88\x95or /ænd ɔː/\r\n-và/hoặc, user\xEF\xBC\xA0" "example.com\r\n"
                 "@color /ˈkʌlə/\r\n-màu\r\n"
                 "@colour\r\n-color /ˈkʌlə/\r\n-màu\r\n"));
    // The stem and the text file name the same database.
    EXPECT_EQ(ConvertDictd(QStringLiteral("tiny")).Text, imported.Text);
    EXPECT_EQ(ConvertDictd(QStringLiteral("tiny.dict.dz")).Text, imported.Text);

    WriteImportedDictionary(QStringLiteral("tiny.out.dict"), imported.Text);
    view::TStyledDocument cat;
    EXPECT_EQ(LookUp(QStringLiteral("tiny.out.dict"), QStringLiteral("CAT"), &cat),
              QStringLiteral("cat /kæt/\nn\n1. con mèo\n2. người hay cáu\n"));
    EXPECT_EQ(cat.ItemStyle(1), 6); // the transcription
    EXPECT_EQ(cat.ItemStyle(2), 1); // the word class
    EXPECT_EQ(LookUp(QStringLiteral("tiny.out.dict"), QString::fromUtf8("and\u2215or")).left(15),
              QString::fromUtf8("and\u2215or /ænd ɔː/"));
    EXPECT_EQ(LookUp(QStringLiteral("tiny.out.dict"), QStringLiteral("colour")),
              QString::fromUtf8("colour\ncolor /ˈkʌlə/\nmàu\n"));
    // Sorted after the three header entries.
    const QByteArray written = ReadFile(QStringLiteral("tiny.out.dict"));
    EXPECT_TRUE(written.startsWith("@00-database-info\r\n"));
    EXPECT_LT(written.indexOf("@and"), written.indexOf("@cat"));
    EXPECT_LT(written.indexOf("@color"), written.indexOf("@colour"));
    EXPECT_LT(written.indexOf("@colour"), written.indexOf("@Dog"));
}

TEST_F(ImportTest, StarDictFieldsBecomeLines)
{
    test::TStarDict plain;
    plain.Entries = {{"cat", "con mèo\nngười hay cáu"}, {"dog", "dog /dɒɡ/\ncon chó"}};
    plain.IfoLines = "bookname=Tiny StarDict\ndescription=A test<br>dictionary &amp; more\n"
                     "website=http://example.org\nsametypesequence=m\n";
    plain.Offsets64 = true;
    plain.Compressed = true;
    plain.Write(QStringLiteral("plain"));
    const TImportedText imported = ConvertStarDict(QStringLiteral("plain.ifo"));
    EXPECT_EQ(imported.Name, QStringLiteral("Tiny StarDict"));
    EXPECT_EQ(imported.Text, u8("@00-database-info\r\n-A test\r\n-dictionary & more\r\n"
                                "@00-database-short\r\n-Tiny StarDict\r\n@00-database-url\r\n-http://example.org\r\n"
                                "@cat\r\n-con mèo\r\n-người hay cáu\r\n@dog /dɒɡ/\r\n-con chó\r\n"));

    // Typed fields: a picture skipped by its size, HTML, XDXF, a phonetic field.
    test::TStarDict typed;
    typed.Entries = {
        {"cat", bytes("tkæt\0W\0\0\0\3abch<b>con</b> mèo<br>người &lt;hay&gt; cáu\0mthêm\0")},
        {"dog", "x<k>dog</k>\n<tr>dɒɡ</tr>\ncon chó\n<ex>a dog barks</ex>"},
        {"rat", bytes("rdog.wav\0nwordnet\0mcon chuột")},
    };
    typed.IfoLines = "bookname=Typed\n";
    typed.Write(QStringLiteral("typed"));
    EXPECT_EQ(ConvertStarDict(QStringLiteral("typed")).Text,
              QByteArray(kNoHeader).replace("short\r\n", "short\r\n-Typed\r\n")
                  + u8("@cat /kæt/\r\n-con mèo\r\n-người <hay> cáu\r\n-thêm\r\n"
                       "@dog /dɒɡ/\r\n-con chó\r\n-a dog barks\r\n@rat\r\n-con chuột\r\n"));

    // With a type sequence the last field runs to the end of the data.
    test::TStarDict sequence;
    sequence.Entries = {{"cat", bytes("kæt\0con mèo")}};
    sequence.IfoLines = "sametypesequence=tm\n";
    sequence.Write(QStringLiteral("sequence"));
    EXPECT_EQ(ConvertStarDict(QStringLiteral("sequence.idx")).Text, kNoHeader + u8("@cat /kæt/\r\n-con mèo\r\n"));
}

const char16_t kDsl[] =
    u"#NAME \"Tiny DSL\"\r\n"
    u"#INDEX_LANGUAGE \"English\"\r\n"
    u"#CONTENTS_LANGUAGE \"Vietnamese\"\r\n"
    u"\r\n"
    u"cat\r\n"
    u"\t\\[[t]kæt[/t]\\]\r\n"
    u"\t[m1][p]n[/p] [trn]con mèo[/trn]\r\n"
    u"\t[m2][ex][lang id=1033]~ and dog[/lang] — chó và mèo[/ex]\r\n"
    u"\t[m2][ex]a fat ~ - con mèo béo[/ex]\r\n"
    u"\t[m1][trn]người hay cáu[/trn] [s]cat.wav[/s]{{a note\r\n for the authors}}\r\n"
    u"\t[m1]see <<kitten>>, mail a\\@b\r\n"
    u"\t@ let the cat out of the bag\r\n"
    u"\t[m1][trn]để lộ bí mật[/trn]\r\n"
    u"\t@\r\n"
    u"\r\n"
    u"colo(u)r\r\n"
    u"{to }paint\r\n"
    u"  [m1][p]v[/p] [c red]tô màu[/c] [i]\\[thân mật\\][/i]\r\n";

const char kDslText[] =
    "@00-database-info\r\n-Tiny DSL\r\n-English – Vietnamese\r\n@00-database-short\r\n-Tiny DSL\r\n"
    "@00-database-url\r\n"
    "@cat /kæt/\r\n*n\r\n-con mèo\r\n=cat and dog+chó và mèo\r\n=a fat cat+con mèo béo\r\n-người hay cáu\r\n"
    "-see kitten, mail a\xEF\xBC\xA0" "b\r\n!let the cat out of the bag\r\n-để lộ bí mật\r\n"
    "@colour\r\n*v\r\n-tô màu [thân mật]\r\n@color\r\n*v\r\n-tô màu [thân mật]\r\n"
    "@paint\r\n*v\r\n-tô màu [thân mật]\r\n";

TEST_F(ImportTest, DslCardsBecomeOurEntriesWhateverTheirEncoding)
{
    const QString dsl = QString::fromUtf16(kDsl);
    WriteFile(QStringLiteral("utf16.dsl"), test::Utf16Le(dsl));
    const TImportedText imported = ConvertDsl(QStringLiteral("utf16.dsl"));
    EXPECT_EQ(imported.Name, QStringLiteral("Tiny DSL"));
    EXPECT_EQ(imported.Entries, 4);
    EXPECT_EQ(imported.Text, u8(kDslText));

    QByteArray bigEndian("\xFE\xFF", 2);
    for (const QChar c : dsl)
        bigEndian.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode() & 0xFF));
    WriteFile(QStringLiteral("utf16be.dsl"), bigEndian);
    WriteFile(QStringLiteral("nomark.dsl"), test::Utf16Le(dsl).sliced(2));
    WriteFile(QStringLiteral("utf8.dsl"), dsl.toUtf8());
    WriteFile(QStringLiteral("packed.dsl.dz"), test::Gzip("\xEF\xBB\xBF" + dsl.toUtf8()));
    for (const char *name : {"utf16be.dsl", "nomark.dsl", "utf8.dsl", "packed.dsl.dz"})
        EXPECT_EQ(ConvertDsl(QString::fromLatin1(name)).Text, u8(kDslText)) << name;

    WriteImportedDictionary(QStringLiteral("dsl.dict"), imported.Text);
    view::TStyledDocument cat;
    const QString shown = LookUp(QStringLiteral("dsl.dict"), QStringLiteral("cat"), &cat);
    EXPECT_TRUE(shown.startsWith(QString::fromUtf8("cat /kæt/\nn\ncon mèo\n"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromUtf8("cat and dog: chó và mèo"))) << shown.toStdString();
    int translations = 0;
    for (int i = 0; i < cat.ItemCount(); ++i)
        translations += cat.ItemStyle(i) == 5;
    EXPECT_EQ(translations, 2); // each example's translation in its own style
    EXPECT_EQ(LookUp(QStringLiteral("dsl.dict"), QStringLiteral("Color")),
              QString::fromUtf8("color\nv\ntô màu [thân mật]\n"));
}

TEST_F(ImportTest, TheOutputIsNeverAnExistingFile)
{
    const QByteArray text = kNoHeader + u8("@cat\r\n-mèo\r\n");
    WriteFile(QStringLiteral("taken.dict"), "mine");
    WriteFile(QStringLiteral("orphan.index"), "theirs");
    ASSERT_TRUE(QFile::link(QStringLiteral("nowhere"), QStringLiteral("link.dict")));
    for (const char *name : {"taken.dict", "orphan.dict", "link.dict"}) {
        const QString error = test::ErrorOf([&] { WriteImportedDictionary(QString::fromLatin1(name), text); });
        EXPECT_TRUE(error.contains(QStringLiteral("already exists"))) << error.toStdString();
    }
    EXPECT_EQ(ReadFile(QStringLiteral("taken.dict")), "mine");
    EXPECT_EQ(ReadFile(QStringLiteral("orphan.index")), "theirs");
    EXPECT_FALSE(QFile::exists(QStringLiteral("orphan.dict")));
    EXPECT_TRUE(test::ErrorOf([&] { WriteImportedDictionary(QStringLiteral("self.index"), text); })
                    .contains(QStringLiteral("its own index")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("self.index")));
}

TEST_F(ImportTest, RegisteringAddsAShownDictionaryWithItsVoicesByName)
{
    const QStringList voices = {QStringLiteral("Afrikaans"), QStringLiteral("English (America)"),
                                QStringLiteral("English (Great Britain)"), QStringLiteral("Vietnamese (Central)")};
    EXPECT_EQ(VoicePosition(voices, kImportFirstVoice), 2);
    EXPECT_EQ(VoicePosition(voices, kImportSecondVoice), 3); // the same language
    EXPECT_EQ(VoicePosition({QStringLiteral("Afrikaans")}, kImportSecondVoice), 0);

    lang::TIniFile registry(RegistryFileName());
    RegisterImported(registry, QStringLiteral("Tiny"), QStringLiteral("/data/tiny.dict"), voices);
    const QList<TDictRecord> records = ReadOfferedDictionaries(registry);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0], (TDictRecord{.Name = QStringLiteral("Tiny"), .Path = QStringLiteral("/data/tiny.dict"),
                                       .Voice1 = 2, .Voice2 = 3, .Speed = 10, .Pitch = 10}));
    EXPECT_EQ(registry.ReadString(QStringLiteral("Tiny"), QStringLiteral("Voice1Name"), QString()), kImportFirstVoice);

    EXPECT_TRUE(test::ErrorOf([&] { RegisterImported(registry, QStringLiteral("tiny"), QStringLiteral("x"), voices); })
                    .contains(QStringLiteral("already has a dictionary called")));

    // Another system's voice list moves the positions to the same names.
    ResolveVoicesByName(registry, {kImportSecondVoice, kImportFirstVoice});
    EXPECT_EQ(ReadRegistry(registry)[0].Voices(), MakeVoicePair(1, 0));
}

TEST_F(ImportTest, TheInstalledFreeDictDatabaseReadsWell)
{
    const QString source = QStringLiteral("/usr/share/dictd/freedict-eng-fra.index");
    if (!QFileInfo::exists(source))
        GTEST_SKIP() << "dict-freedict-eng-fra is not installed";
    TImportedText imported = ConvertDictd(source);
    EXPECT_TRUE(imported.Name.contains(QStringLiteral("English-French"))) << imported.Name.toStdString();
    EXPECT_GT(imported.Entries, 5000);
    WriteImportedDictionary(QStringLiteral("eng-fra.dict"), std::move(imported.Text));

    const struct {
        const char *Word;
        const char *Meaning;
    } words[] = {{"cat", "chat"}, {"house", "maison"}, {"water", "eau"}, {"book", "livre"}, {"dog", "chien"}, {"tree", "arbre"}};
    for (const auto &w : words) {
        SCOPED_TRACE(w.Word);
        view::TStyledDocument document;
        const QString shown = LookUp(QStringLiteral("eng-fra.dict"), QString::fromUtf8(w.Word), &document);
        const QStringList lines = shown.split(u'\n', Qt::SkipEmptyParts);
        ASSERT_GE(lines.size(), 2) << shown.toStdString();
        EXPECT_TRUE(lines[0].startsWith(QString::fromUtf8(w.Word), Qt::CaseInsensitive)) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QString::fromUtf8(w.Meaning))) << shown.toStdString();
        EXPECT_EQ(document.ItemStyle(0), 0); // the head word
    }
    view::TStyledDocument cat;
    LookUp(QStringLiteral("eng-fra.dict"), QStringLiteral("cat"), &cat);
    EXPECT_EQ(cat.ItemText(1), QString::fromUtf8("/kæt/"));
    EXPECT_EQ(cat.ItemStyle(1), 6);
}

} // namespace
} // namespace lexivoce::dict
