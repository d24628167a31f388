#include "lang/error.h"
#include "lang/ini_file.h"
#include "tests/support/errors.h"
#include "tests/support/temp_dir.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <functional>

namespace lexivoce::lang {
namespace {

using IniFileTest = test::TempDirTest;

const QString kIni = QStringLiteral("test.ini");

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

QByteArray utf16Bytes(const QString &text)
{
    return QByteArray("\xFF\xFE") + QStringEncoder(QStringEncoder::Utf16LE).encode(text);
}

// The text of a file that must be UTF-16LE with its mark.
QString writtenText(const QByteArray &bytes)
{
    EXPECT_TRUE(bytes.startsWith("\xFF\xFE"));
    EXPECT_EQ(bytes.size() % 2, 0);
    return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.sliced(2));
}

QString crlf(QString text)
{
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

using test::ErrorOf;
using test::ErrorUnderFileSizeLimit;

enum class Encoding { Utf8, Utf8Bom, Latin1, Utf16 };

TEST_F(IniFileTest, ForeignEncodingIsRewrittenAsUtf16OnFirstWrite)
{
    const QString vietnamese = u8("; từ điển\n[Anh–Việt]\nPath=từ điển/av.txt\nnot a key\n\n"
                                  "[Việt–Anh]\nPath=va.txt\n");
    const QString french = u8("; dictionnaires\n[Français-Anglais]\nPath=café.txt\nnot a key\n\n"
                              "[Anglais-Français]\nPath=thé.txt\n");
    const struct {
        Encoding encoding;
        QString text;
    } cases[] = {
        {Encoding::Utf8, vietnamese},
        {Encoding::Utf8Bom, vietnamese},
        {Encoding::Latin1, french},
        {Encoding::Utf16, vietnamese},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(int(c.encoding));
        QByteArray bytes;
        switch (c.encoding) {
        case Encoding::Utf8: bytes = c.text.toUtf8(); break;
        case Encoding::Utf8Bom: bytes = "\xEF\xBB\xBF" + c.text.toUtf8(); break;
        case Encoding::Latin1: bytes = c.text.toLatin1(); break;
        case Encoding::Utf16: bytes = utf16Bytes(c.text); break;
        }
        WriteFile(kIni, bytes);
        TIniFile ini(kIni);
        const QStringList sections = ini.ReadSections();
        ASSERT_EQ(sections.size(), 2);
        const QString firstPath = ini.ReadString(sections[0], QStringLiteral("Path"), QString());
        EXPECT_TRUE(c.text.contains(QStringLiteral("Path=") + firstPath + u'\n'));

        ini.WriteString(sections[0], QStringLiteral("Hidden"), QStringLiteral("1"));
        QString expected = c.text;
        expected.replace(QStringLiteral("Path=") + firstPath + u'\n', QStringLiteral("Path=") + firstPath + QStringLiteral("\nHidden=1\n"));
        EXPECT_EQ(writtenText(ReadFile(kIni)), crlf(expected));
        EXPECT_EQ(TIniFile(kIni).ReadSections(), sections);
    }
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsCreatedOnFirstWrite)
{
    TIniFile ini(kIni);
    EXPECT_TRUE(ini.ReadSections().isEmpty());
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")),
              QStringLiteral("d"));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("k"), 5), 5);
    EXPECT_FALSE(QFile::exists(kIni));

    ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(ReadFile(kIni), utf16Bytes(QStringLiteral("[S]\r\nk=v\r\n")));

    TIniFile erased(QStringLiteral("erased.ini"));
    erased.EraseSection(QStringLiteral("S"));
    EXPECT_EQ(ReadFile(QStringLiteral("erased.ini")), QByteArray("\xFF\xFE"));
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndValuesComeBackAsStored)
{
    WriteFile(kIni, u8("[Anh–Việt]\n  Path =  C:\\Từ Điển\\AV.txt \t\nVoice1=3\n").toUtf8());
    TIniFile ini(kIni);
    const QString upper = u8("ANH–VIỆT");
    EXPECT_EQ(ini.ReadString(upper, QStringLiteral("PATH"), QString()), u8("C:\\Từ Điển\\AV.txt"));
    EXPECT_TRUE(ini.SectionExists(u8("anh–việt")));
    EXPECT_TRUE(ini.ValueExists(upper, QStringLiteral("voice1")));
    EXPECT_FALSE(ini.ValueExists(upper, QStringLiteral("Voice2")));
    EXPECT_EQ(ini.ReadSection(upper), QStringList({QStringLiteral("Path"), QStringLiteral("Voice1")}));

    ini.WriteString(upper, QStringLiteral("voice1"), QStringLiteral("4"));
    EXPECT_EQ(writtenText(ReadFile(kIni)),
              crlf(u8("[Anh–Việt]\n  Path =  C:\\Từ Điển\\AV.txt \t\nVoice1=4\n")));
}

TEST_F(IniFileTest, WritesLandWhereTheyBelong)
{
    WriteFile(kIni, "; top\n[A]\nx=1\n; about B\n\n[B]\ny=2\n");
    TIniFile ini(kIni);
    ini.WriteString(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("3"));
    ini.WriteString(QStringLiteral("B"), QStringLiteral("y"), QStringLiteral("5"));
    ini.WriteString(QStringLiteral("C"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(writtenText(ReadFile(kIni)),
              crlf(QStringLiteral("; top\n[A]\nx=1\nz=3\n; about B\n\n[B]\ny=5\n[C]\nk=v\n")));
}

TEST_F(IniFileTest, ParsesLinesLikeThePlatform)
{
    const QString missing = QStringLiteral("<missing>");
    const struct {
        const char *file;
        const char *section;
        const char *key;
        QString value;
    } cases[] = {
        {"[Anh]Việt]\nk=1\n", "Anh]Việt", "k", QStringLiteral("1")},
        {"  [ S ]  \nk=1\n", "S", "k", QStringLiteral("1")},
        {"[S]\n;k=1\n", "S", "k", missing},
        {"[S]\n  ; k=1\n", "S", "k", missing},
        {"[S]\nk=a=b\n", "S", "k", QStringLiteral("a=b")},
        {"[S]\nk\n", "S", "k", missing},
        {"k=0\n[S]\n", "S", "k", missing},
        {"[S]\nk=1\nk=2\n", "S", "k", QStringLiteral("1")},
        {"[S]\nk=1\n[s]\nk=2\nj=3\n", "S", "j", missing},
        {"[S]\r\nk=1\rj=2", "S", "j", QStringLiteral("2")},
        {"[S]\nk=\n", "S", "k", QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        WriteFile(kIni, c.file);
        EXPECT_EQ(TIniFile(kIni).ReadString(u8(c.section), u8(c.key), missing), c.value);
    }
}

TEST_F(IniFileTest, ReadIntegerTakesLeadingDigits)
{
    const struct {
        const char *value;
        int expected;
    } cases[] = {
        {"12", 12}, {"-3", -3}, {"+4", 4}, {" 7 ", 7}, {"abc", 0}, {"12abc", 12},
        {"", 0}, {"-", 0}, {"0x10", 0}, {"2147483647", INT_MAX}, {"2147483648", INT_MAX},
        {"99999999999999999999", INT_MAX}, {"-2147483648", INT_MIN}, {"-99999999999", INT_MIN},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.value);
        WriteFile(kIni, QByteArray("[S]\nk=") + c.value + "\n");
        EXPECT_EQ(TIniFile(kIni).ReadInteger(QStringLiteral("S"), QStringLiteral("k"), 42), c.expected);
    }
    TIniFile ini(kIni);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("other"), 42), 42);
    ini.WriteInteger(QStringLiteral("S"), QStringLiteral("k"), INT_MIN);
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()),
              QStringLiteral("-2147483648"));
}

TEST_F(IniFileTest, DuplicateSectionsReadAndWriteTheFirstAndEraseAll)
{
    WriteFile(kIni, "[A]\nx=1\n[B]\ny=1\n[a]\nx=2\nw=5\n; tail\n");
    TIniFile ini(kIni);
    EXPECT_EQ(ini.ReadSections(), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
    ini.WriteString(QStringLiteral("a"), QStringLiteral("w"), QStringLiteral("6"));
    EXPECT_EQ(writtenText(ReadFile(kIni)), crlf(QStringLiteral("[A]\nx=1\nw=6\n[B]\ny=1\n[a]\nx=2\nw=5\n; tail\n")));

    ini.EraseSection(QStringLiteral("A"));
    EXPECT_EQ(writtenText(ReadFile(kIni)), crlf(QStringLiteral("[B]\ny=1\n")));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("A")));
}

TEST_F(IniFileTest, LongNamesAndValuesRoundTrip)
{
    const QString section = u8("Từ").repeated(5000);
    const QString key = QStringLiteral("k").repeated(3000);
    const QString value = u8("điển ").repeated(4000) + u8("cuối");
    TIniFile(kIni).WriteString(section, key, value);
    const TIniFile ini(kIni);
    EXPECT_EQ(ini.ReadSections(), QStringList(section));
    EXPECT_EQ(ini.ReadString(section, key, QString()), value);
}

TEST_F(IniFileTest, FailedWriteThrowsWithTheFileName)
{
    WriteFile(QStringLiteral("plain"), "not a folder");
    const QString names[] = {QStringLiteral("no/such/dir/x.ini"), QStringLiteral("plain/x.ini")};
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        TIniFile ini(name);
        const QString expected = QStringLiteral("Unable to write to ") + name;
        EXPECT_EQ(TIniFile::WriteErrorMessage(name), expected);
        EXPECT_EQ(ErrorOf([&] { ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")); }),
                  expected);
        EXPECT_EQ(ErrorOf([&] { ini.WriteInteger(QStringLiteral("S"), QStringLiteral("k"), 1); }), expected);
        EXPECT_EQ(ErrorOf([&] { ini.EraseSection(QStringLiteral("S")); }), expected);
    }
}

TEST_F(IniFileTest, FullDiskLeavesTheFileUntouched)
{
    const QByteArray original = utf16Bytes(QStringLiteral("[S]\r\nk=old\r\n"));
    WriteFile(kIni, original);
    TIniFile ini(kIni);
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()), QStringLiteral("old"));

    const QString error = ErrorUnderFileSizeLimit(4096, [&] {
        ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("x").repeated(10000));
    });

    EXPECT_EQ(error, QStringLiteral("Unable to write to test.ini"));
    EXPECT_EQ(ReadFile(kIni), original);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList(kIni));
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()), QStringLiteral("old"));
}

TEST_F(IniFileTest, FilesWeDoNotReadAreReportedAndNeverRewritten)
{
    const QString utf16Text = QStringLiteral("[S]\r\nk=v\r\n");
    const QString formats = QStringLiteral("Lexivoce reads UTF-16 little-endian with its byte-order mark, UTF-8 and "
                                           "8-bit text.");
    const struct {
        const char *name;
        QByteArray bytes; // empty: a folder
        QString reason;
    } cases[] = {
        {"a folder", QByteArray(), QStringLiteral("It is a folder.")},
        {"UTF-16 big-endian", QByteArray("\xFE\xFF") + QStringEncoder(QStringEncoder::Utf16BE).encode(utf16Text),
         QStringLiteral("It is UTF-16 big-endian text; ") + formats},
        {"UTF-16 without its mark", QStringEncoder(QStringEncoder::Utf16LE).encode(utf16Text),
         QStringLiteral("It holds NUL bytes, so it is UTF-16 without its byte-order mark or no text at all; ")
             + formats},
        {"UTF-32", QByteArray("\xFF\xFE\0\0", 4) + QStringEncoder(QStringEncoder::Utf32LE).encode(utf16Text),
         QStringLiteral("It is UTF-32 text; ") + formats},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(kIni);
        QDir().rmdir(kIni);
        if (c.bytes.isEmpty())
            ASSERT_TRUE(QDir().mkdir(kIni));
        else
            WriteFile(kIni, c.bytes);
        const QString expected = QStringLiteral("Cannot read \"test.ini\". ") + c.reason;
        TIniFile ini(kIni);
        EXPECT_EQ(ErrorOf([&] { ini.ReadSections(); }), expected);
        EXPECT_EQ(ErrorOf([&] { ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()); }), expected);
        EXPECT_EQ(ErrorOf([&] { ini.ReadInteger(QStringLiteral("S"), QStringLiteral("k"), 0); }), expected);
        EXPECT_EQ(ErrorOf([&] { ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("x")); }),
                  expected);
        EXPECT_EQ(ErrorOf([&] { ini.EraseSection(QStringLiteral("S")); }), expected);
        EXPECT_EQ(ReadFile(kIni), c.bytes);
        EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Hidden), c.bytes.isEmpty() ? QStringList() : QStringList(kIni));
    }

    if (::geteuid() != 0) {
        WriteFile(QStringLiteral("locked.ini"), "[S]\nk=v\n");
        ASSERT_TRUE(QFile::setPermissions(QStringLiteral("locked.ini"), QFile::WriteOwner));
        EXPECT_EQ(ErrorOf([] { TIniFile(QStringLiteral("locked.ini")).ReadSections(); }),
                  QStringLiteral("Cannot read \"locked.ini\". Permission denied."));
    }
}

TEST_F(IniFileTest, KeyNamesTheFormatCannotHoldAreRefused)
{
    TIniFile ini(kIni);
    ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    const QByteArray before = ReadFile(kIni);
    const QString refused[] = {QStringLiteral("[Evil]"), QStringLiteral("a=b"), QStringLiteral(";note"),
                               QStringLiteral(" ;note"), QString(), QStringLiteral("  "), QStringLiteral("\r\n")};
    for (const QString &key : refused) {
        SCOPED_TRACE(key.toStdString());
        for (int i = 0; i < 2; ++i) {
            const QString error =
                ErrorOf([&] { ini.WriteString(QStringLiteral("S"), key, QStringLiteral("]x")); });
            EXPECT_TRUE(error.startsWith(QStringLiteral("Unable to write to test.ini: \"") + key.trimmed() + u'"'))
                << error.toStdString();
            EXPECT_EQ(ErrorOf([&] { ini.WriteInteger(QStringLiteral("New"), key, 1); }), error);
        }
        EXPECT_EQ(ReadFile(kIni), before);
    }
    // What the format can hold is written and read back.
    const QString held[] = {QStringLiteral("a[1]"), QStringLiteral("x;y"), QStringLiteral("]"),
                            QString::fromUtf8("từ điển")};
    for (const QString &key : held) {
        ini.WriteString(QStringLiteral("S"), key, QStringLiteral("[v]=1"));
        EXPECT_EQ(TIniFile(kIni).ReadString(QStringLiteral("S"), key, QString()), QStringLiteral("[v]=1"));
    }
    EXPECT_EQ(TIniFile(kIni).ReadSections(), QStringList(QStringLiteral("S")));
}

TEST_F(IniFileTest, SeesTheFileRewrittenBehindItsBack)
{
    WriteFile(kIni, "[S]\nk=1\n");
    TIniFile ini(kIni);
    const auto value = [&] { return ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()); };
    EXPECT_EQ(value(), QStringLiteral("1"));

    // Same size and same modification time, renamed over the file as our own
    // writes do: only the inode tells the versions apart.
    const QDateTime modified = QFileInfo(kIni).lastModified();
    WriteFile(QStringLiteral("new.ini"), "[S]\nk=2\n");
    {
        QFile file(QStringLiteral("new.ini"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
    ASSERT_EQ(::rename("new.ini", "test.ini"), 0);
    EXPECT_EQ(value(), QStringLiteral("2"));

    WriteFile(kIni, "[S]\nk=333\n");
    EXPECT_EQ(value(), QStringLiteral("333"));

    ini.WriteString(QStringLiteral("S"), QStringLiteral("j"), QStringLiteral("4"));
    EXPECT_EQ(writtenText(ReadFile(kIni)), QStringLiteral("[S]\r\nk=333\r\nj=4\r\n"));
}

TEST_F(IniFileTest, LineBreaksCannotInjectLines)
{
    TIniFile ini(kIni);
    ini.WriteString(QStringLiteral("S\r\n[X]"), QStringLiteral("k\nj"), QStringLiteral("a\r\n[Evil]\nx=1"));
    EXPECT_EQ(ini.ReadSections(), QStringList(QStringLiteral("S  [X]")));
    EXPECT_EQ(ini.ReadSection(QStringLiteral("S  [X]")), QStringList(QStringLiteral("k j")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("S  [X]"), QStringLiteral("k j"), QString()),
              QStringLiteral("a  [Evil] x=1"));
}

TEST_F(IniFileTest, OddUtf16IsKeptUnitForUnit)
{
    // A lone surrogate and a NUL inside a value, and a stray last byte.
    const QString value = QString(QChar(0xD800)) + QChar(0) + u'z';
    WriteFile(kIni, utf16Bytes(QStringLiteral("[s]\nk=") + value + u'\n') + 'A');
    TIniFile ini(kIni);
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("K"), QString()), value);
    ini.WriteString(QStringLiteral("s"), QStringLiteral("j"), QStringLiteral("1"));
    EXPECT_EQ(ReadFile(kIni), utf16Bytes(QStringLiteral("[s]\r\nk=") + value + QStringLiteral("\r\nj=1\r\n")));
}

} // namespace
} // namespace lexivoce::lang
