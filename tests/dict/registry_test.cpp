#include "dict/registry.h"
#include "lang/ini_file.h"
#include "tests/support/temp_dir.h"

#include <QFile>

namespace lexivoce::dict {
namespace {

using RegistryTest = test::TempDirTest;
using lang::TIniFile;

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

QStringList namesOf(const QList<TDictRecord> &records)
{
    QStringList names;
    for (const TDictRecord &record : records)
        names.append(record.Name);
    return names;
}

TEST_F(RegistryTest, MissingFileIsAnEmptyRegistry)
{
    const TIniFile ini(RegistryFileName());
    EXPECT_TRUE(ReadRegistry(ini).isEmpty());
    EXPECT_TRUE(ReadOfferedDictionaries(ini).isEmpty());
    EXPECT_FALSE(QFile::exists(RegistryFileName()));
}

TEST_F(RegistryTest, SavedDictionariesReadBackInFileOrder)
{
    const TDictRecord first{.Name = u8("Anh–Việt"), .Path = u8("từ điển/anh_việt.txt"),
                            .Voice1 = 2, .Voice2 = 1, .Speed = 12, .Pitch = 20, .ReadPunc = 1};
    const TDictRecord second{.Name = u8("Việt–Anh"), .Path = QStringLiteral("va.txt"), .Hidden = 1};
    {
        TIniFile ini(RegistryFileName());
        SaveDictionary(ini, first);
        SaveDictionary(ini, second);
    }
    const TIniFile ini(RegistryFileName());
    EXPECT_EQ(ReadRegistry(ini), QList<TDictRecord>({first, second}));
    EXPECT_EQ(ini.ReadSection(first.Name),
              QStringList({QStringLiteral("Path"), QStringLiteral("Hidden"), QStringLiteral("Voice1"),
                           QStringLiteral("Voice2"), QStringLiteral("Speed"), QStringLiteral("Pitch"),
                           QStringLiteral("ReadPunc")}));
    EXPECT_TRUE(ReadFile(RegistryFileName()).startsWith("\xFF\xFE"));
}

TEST_F(RegistryTest, FileWithoutMarkIsConvertedAndKeepsItsSections)
{
    WriteFile(RegistryFileName(), u8("[Anh–Việt]\nPath=av.txt\nVoice2=3\n").toUtf8());
    TIniFile ini(RegistryFileName());
    SaveDictionary(ini, {.Name = u8("Pháp–Việt"), .Path = QStringLiteral("pv.txt")});

    EXPECT_TRUE(ReadFile(RegistryFileName()).startsWith("\xFF\xFE"));
    const QList<TDictRecord> records = ReadRegistry(TIniFile(RegistryFileName()));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0], (TDictRecord{.Name = u8("Anh–Việt"), .Path = QStringLiteral("av.txt"), .Voice2 = 3}));
    EXPECT_EQ(records[1].Name, u8("Pháp–Việt"));
}

TEST_F(RegistryTest, NamesDifferingOnlyInCaseShareOneSection)
{
    const QString laterNames[] = {u8("Anh–Việt"), u8("ANH–VIỆT")};
    for (const QString &laterName : laterNames) {
        SCOPED_TRACE(laterName.toStdString());
        QFile::remove(RegistryFileName());
        TIniFile ini(RegistryFileName());
        SaveDictionary(ini, {.Name = u8("Anh–Việt"), .Path = QStringLiteral("old.txt"), .Speed = 3});
        SaveDictionary(ini, {.Name = laterName, .Path = QStringLiteral("new.txt"), .Pitch = 7});

        const QList<TDictRecord> records = ReadRegistry(ini);
        ASSERT_EQ(records.size(), 1);
        EXPECT_EQ(records[0], (TDictRecord{.Name = u8("Anh–Việt"), .Path = QStringLiteral("new.txt"),
                                           .Pitch = 7}));
    }
}

TEST_F(RegistryTest, EditedDictionaryMovesToTheEnd)
{
    TIniFile ini(RegistryFileName());
    SaveDictionary(ini, {.Name = QStringLiteral("A"), .Path = QStringLiteral("a.txt")});
    SaveDictionary(ini, {.Name = QStringLiteral("B"), .Path = QStringLiteral("b.txt")});

    SaveDictionary(ini, {.Name = QStringLiteral("A"), .Path = QStringLiteral("a2.txt")},
                   QStringLiteral("A"), true);
    EXPECT_EQ(namesOf(ReadRegistry(ini)), QStringList({QStringLiteral("B"), QStringLiteral("A")}));
    EXPECT_EQ(ReadRegistry(ini).last().Path, QStringLiteral("a2.txt"));

    SaveDictionary(ini, {.Name = QStringLiteral("C"), .Path = QStringLiteral("c.txt")},
                   QStringLiteral("b"), true);
    EXPECT_EQ(namesOf(ReadRegistry(ini)), QStringList({QStringLiteral("A"), QStringLiteral("C")}));

    DeleteDictionary(ini, QStringLiteral("a"));
    EXPECT_EQ(namesOf(ReadRegistry(ini)), QStringList(QStringLiteral("C")));
}

TEST_F(RegistryTest, MissingKeysReadAsDefaults)
{
    WriteFile(RegistryFileName(), "[X]\nPath=x.txt\n");
    const QList<TDictRecord> records = ReadRegistry(TIniFile(RegistryFileName()));
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0], (TDictRecord{.Name = QStringLiteral("X"), .Path = QStringLiteral("x.txt")}));
    EXPECT_EQ(records[0].Voices(), 0u);
}

TEST_F(RegistryTest, HiddenDictionariesAreNotOffered)
{
    WriteFile(RegistryFileName(),
              "[A]\nPath=a\nHidden=1\n[B]\nPath=b\n[C]\nHidden=0\n[D]\nHidden=2\n");
    const TIniFile ini(RegistryFileName());
    EXPECT_EQ(namesOf(ReadRegistry(ini)),
              QStringList({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}));
    EXPECT_EQ(namesOf(ReadOfferedDictionaries(ini)), QStringList({QStringLiteral("B"), QStringLiteral("C")}));
}

} // namespace
} // namespace lexivoce::dict
