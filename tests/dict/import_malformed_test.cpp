#include "dict/import_common.h"
#include "dict/import_dictionary.h"

#include "tests/dict/import_fixtures.h"
#include "tests/support/errors.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>

namespace lexivoce::dict {
namespace {

using test::TSourceEntries;

const TSourceEntries kGood = {
    {"00-database-short", "Tiny\n"},
    {"cat", "cat /kæt/\ncon mèo\n"},
    {"dog", "dog\ncon chó\n"},
};

test::TStarDict goodStarDict()
{
    test::TStarDict star;
    star.Entries = {{"cat", "con mèo"}, {"dog", "con chó"}};
    star.IfoLines = "bookname=Tiny\nsametypesequence=m\n";
    return star;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The source is written as "bad" with the extensions of its format; the
// error must name the file at fault and say what is wrong with it.
struct MalformedCase
{
    const char *Name;
    TImportFormat Format;
    std::function<void()> Write;
    const char *Source;
    const char *Error; // a part of the message after "Cannot import "
};

class ImportMalformedTest : public test::TempDirTest, public testing::WithParamInterface<MalformedCase>
{
};

TEST_P(ImportMalformedTest, IsRefusedInOneLineThatSaysWhy)
{
    const MalformedCase &c = GetParam();
    c.Write();
    const QString error = test::ErrorOf([&] { ConvertDictionary(c.Format, QString::fromLatin1(c.Source)); });
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot import \"bad.")) || error.contains(QStringLiteral("bad.")))
        << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.Error))) << error.toStdString();
    EXPECT_FALSE(error.contains(u'\n')) << error.toStdString();
}

void writeDictdWith(const std::function<void(QByteArray &index, QByteArray &text)> &change, bool compressed = false)
{
    test::WriteDictd(QStringLiteral("bad"), kGood);
    QByteArray index = readBytes(QStringLiteral("bad.index"));
    QByteArray text = readBytes(QStringLiteral("bad.dict"));
    change(index, text);
    QFile::remove(QStringLiteral("bad.dict"));
    test::WriteBytes(QStringLiteral("bad.index"), index);
    test::WriteBytes(compressed ? QStringLiteral("bad.dict.dz") : QStringLiteral("bad.dict"), text);
}

void writeStarDictWith(const std::function<void(QByteArray &ifo, QByteArray &idx, QByteArray &data)> &change,
                       const test::TStarDict &star = goodStarDict())
{
    star.Write(QStringLiteral("bad"));
    QByteArray ifo = readBytes(QStringLiteral("bad.ifo"));
    QByteArray idx = readBytes(QStringLiteral("bad.idx"));
    QByteArray data = readBytes(QStringLiteral("bad.dict"));
    change(ifo, idx, data);
    test::WriteBytes(QStringLiteral("bad.ifo"), ifo);
    test::WriteBytes(QStringLiteral("bad.idx"), idx);
    test::WriteBytes(QStringLiteral("bad.dict"), data);
}

QByteArray dslCard()
{
    return QStringLiteral("#NAME \"Bad\"\r\ncat\r\n\t[m1]con mèo\r\n").toUtf8();
}

const MalformedCase kCases[] = {
    {"DictdLineWithoutFields", TImportFormat::Dictd,
     [] { writeDictdWith([](QByteArray &index, QByteArray &) { index.replace("dog\t", "dog "); }); }, "bad.index",
     "line 3 is not \"word TAB offset TAB length\""},
    {"DictdBadDigits", TImportFormat::Dictd,
     [] { writeDictdWith([](QByteArray &index, QByteArray &) { index.replace("cat\t", "cat\t?"); }); }, "bad",
     "where a number in dictd's digits"},
    {"DictdPastTheText", TImportFormat::Dictd,
     [] { writeDictdWith([](QByteArray &, QByteArray &text) { text.chop(3); }); }, "bad.dict",
     "line 3 points past the end of \"bad.dict\""},
    {"DictdDamagedGzip", TImportFormat::Dictd,
     [] {
         writeDictdWith([](QByteArray &, QByteArray &text) {
             text = test::Gzip(text.repeated(20));
             text[text.size() / 2] = static_cast<char>(text[text.size() / 2] ^ 0x55);
         }, true);
     },
     "bad.index", "damaged"},
    {"DictdCutGzip", TImportFormat::Dictd,
     [] { writeDictdWith([](QByteArray &, QByteArray &text) { text = test::Gzip(text).chopped(12); }, true); },
     "bad.dict.dz", "cut short"},
    {"DictdNamedGzipButPlain", TImportFormat::Dictd, [] { writeDictdWith([](QByteArray &, QByteArray &) {}, true); },
     "bad.index", "its name says gzip-compressed, but it is not"},
    {"DictdNotUtf8", TImportFormat::Dictd,
     [] { writeDictdWith([](QByteArray &, QByteArray &text) { text.replace("con ch\xC3\xB3", "con ch\xF3!"); }); },
     "bad.index", "the entry of \"dog\" is not UTF-8 text"},
    {"DictdMissingText", TImportFormat::Dictd,
     [] { test::WriteBytes(QStringLiteral("bad.index"), "cat\tA\tB\n"); }, "bad.index",
     "\"bad.dict.dz\" does not exist"},
    {"DictdMetadataOnly", TImportFormat::Dictd,
     [] { test::WriteDictd(QStringLiteral("bad"), {{"00-database-short", "Tiny\n"}}); }, "bad.index",
     "it holds no entries"},
    {"StarDictCutIdx", TImportFormat::StarDict,
     [] {
         writeStarDictWith([](QByteArray &ifo, QByteArray &idx, QByteArray &) {
             idx.chop(5);
             ifo.replace("idxfilesize=24", "idxfilesize=19");
         });
     },
     "bad.ifo", "it is cut short inside its word number 2"},
    {"StarDictWrongIdxFileSize", TImportFormat::StarDict,
     [] { writeStarDictWith([](QByteArray &, QByteArray &idx, QByteArray &) { idx.chop(5); }); }, "bad.ifo",
     "it holds 19 bytes, but \"bad.ifo\" says idxfilesize=24"},
    {"StarDictWrongWordCount", TImportFormat::StarDict,
     [] { writeStarDictWith([](QByteArray &ifo, QByteArray &, QByteArray &) { ifo.replace("wordcount=2", "wordcount=3"); }); },
     "bad.ifo", "it holds 2 words, but \"bad.ifo\" says wordcount=3"},
    {"StarDictPastTheData", TImportFormat::StarDict,
     [] { writeStarDictWith([](QByteArray &, QByteArray &, QByteArray &data) { data.chop(2); }); }, "bad.ifo",
     "the word \"dog\" points past the end of \"bad.dict\""},
    {"StarDictBinaryFieldTooLong", TImportFormat::StarDict,
     [] {
         test::TStarDict star;
         star.Entries = {{"cat", QByteArray("P\0\0\1\0xy", 7)}};
         writeStarDictWith([](QByteArray &, QByteArray &, QByteArray &) {}, star);
     },
     "bad.ifo", "the data of \"cat\" is damaged"},
    {"StarDictNoIfo", TImportFormat::StarDict,
     [] { writeStarDictWith([](QByteArray &ifo, QByteArray &, QByteArray &) { ifo.prepend("Some other file\n"); }); },
     "bad.ifo", "it is no StarDict .ifo file"},
    {"StarDictNoWordCount", TImportFormat::StarDict,
     [] { writeStarDictWith([](QByteArray &ifo, QByteArray &, QByteArray &) { ifo.replace("wordcount=2\n", ""); }); },
     "bad.ifo", "it does not give wordcount"},
    {"StarDictOddOffsetBits", TImportFormat::StarDict,
     [] { writeStarDictWith([](QByteArray &ifo, QByteArray &, QByteArray &) { ifo += "idxoffsetbits=16\n"; }); },
     "bad.ifo", "StarDict knows 32 and 64"},
    {"DslInACodePage", TImportFormat::Dsl,
     [] { test::WriteBytes(QStringLiteral("bad.dsl"), QByteArray("cat\r\n\t[m1]\xEA\xEE\xF8\xEA\xE0\r\n")); },
     "bad.dsl", "neither UTF-16 nor UTF-8"},
    {"DslCutUtf16", TImportFormat::Dsl,
     [] { test::WriteBytes(QStringLiteral("bad.dsl"), test::Utf16Le(QString::fromUtf8(dslCard())).chopped(1)); },
     "bad.dsl", "ends in the middle of a character"},
    {"DslLoneSurrogate", TImportFormat::Dsl,
     [] {
         test::WriteBytes(QStringLiteral("bad.dsl"),
                          test::Utf16Le(QString::fromUtf8(dslCard()) + QChar(0xD800) + QStringLiteral("x\r\n")));
     },
     "bad.dsl", "its UTF-16 text is damaged"},
    {"DslWithoutCards", TImportFormat::Dsl,
     [] { test::WriteBytes(QStringLiteral("bad.dsl"), "#NAME \"Empty\"\r\n\r\n\t[m1]an orphan body line\r\n"); },
     "bad.dsl", "it holds no cards"},
    {"DslDamagedGzip", TImportFormat::Dsl,
     [] { test::WriteBytes(QStringLiteral("bad.dsl.dz"), QByteArray("\x1F\x8B\x07\x00garbage", 11)); },
     "bad.dsl.dz", "damaged"},
};

INSTANTIATE_TEST_SUITE_P(Sources, ImportMalformedTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<MalformedCase> &param) { return std::string(param.param.Name); });

// A small gzip file may inflate to far more than any dictionary: it is
// refused once it passes the bound, before memory runs out.
TEST(ImportSource, TextBeyondTheBoundIsRefusedWhetherPlainOrInflated)
{
    const QTemporaryDir dir;
    const QString packed = dir.filePath(QStringLiteral("big.dict.dz"));
    const QString plain = dir.filePath(QStringLiteral("big.dict"));
    const QByteArray text(1 << 20, 'a');
    test::WriteBytes(packed, test::Gzip(text));
    test::WriteBytes(plain, text);
    for (const QString &path : {packed, plain}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_TRUE(test::ErrorOf([&] { ReadSourceFile(path, 4096); }).contains(QStringLiteral("more than 4096 bytes")));
        EXPECT_EQ(ReadSourceFile(path, 1 << 20), text);
    }
}

} // namespace
} // namespace lexivoce::dict
