#include "app/active_dictionary.h"
#include "app/history.h"

#include "lang/error.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QListWidget>

namespace lexivoce::app {
namespace {

class ActiveDictionaryTest : public test::TempDirTest
{
protected:
    TActiveDictionary m_dictionary;
};

TEST_F(ActiveDictionaryTest, VoicesFallBackToTheFirstInstalledAndNothingIsActiveOutsideTheList)
{
    const QStringList installed = {QStringLiteral("English"), QStringLiteral("Vietnamese")};
    EXPECT_EQ(m_dictionary.Active(), nullptr);
    EXPECT_TRUE(m_dictionary.VoiceName(1, installed).isEmpty());

    dict::TDictRecord record;
    record.Path = QStringLiteral("a.dict");
    record.Voice1 = 1;
    record.Voice2 = 7; // removed since
    m_dictionary.SetList({record});
    ASSERT_NE(m_dictionary.Active(), nullptr);
    EXPECT_EQ(m_dictionary.VoiceName(1, installed), QStringLiteral("Vietnamese"));
    EXPECT_EQ(m_dictionary.VoiceName(2, installed), QStringLiteral("English"));
    m_dictionary.ActiveDictIndex = 1;
    EXPECT_EQ(m_dictionary.Active(), nullptr);
}

TEST_F(ActiveDictionaryTest, OpeningNamesTheIndexEvenWhenTheFileCannotBeOpened)
{
    WriteFile(QStringLiteral("a.dict"), "@a\n-x\n");
    dict::TDictRecord a, missing;
    a.Path = PathOf(QStringLiteral("a.dict"));
    missing.Path = PathOf(QStringLiteral("missing.dict"));
    m_dictionary.SetList({a, missing});
    m_dictionary.Open(0);
    EXPECT_TRUE(m_dictionary.DictFile.IsOpen());
    EXPECT_EQ(m_dictionary.IndexFileName, PathOf(QStringLiteral("a.index")));
    EXPECT_THROW(m_dictionary.Open(1), Error);
    EXPECT_EQ(m_dictionary.ActiveDictIndex, 1);
    EXPECT_EQ(m_dictionary.IndexFileName, PathOf(QStringLiteral("missing.index")));
    EXPECT_FALSE(m_dictionary.DictFile.IsOpen());
    m_dictionary.Open(5); // outside: nothing changes
    EXPECT_EQ(m_dictionary.ActiveDictIndex, 1);
}

TEST(History, RecordsStepsWithinItsEndsAndKeepsItsListInStep)
{
    QListWidget view;
    THistory history;
    history.SetView(&view);
    EXPECT_EQ(history.Position(), -1);
    EXPECT_FALSE(history.Step(-1));
    EXPECT_FALSE(history.Step(1));
    history.Record(QStringLiteral("able"), {1, 10});
    history.Record(QStringLiteral("book"), {11, 20});
    EXPECT_EQ(view.count(), 2);
    EXPECT_EQ(history.Position(), 1);
    EXPECT_TRUE(history.CanGoBack());
    EXPECT_FALSE(history.CanGoForward());
    EXPECT_FALSE(history.Step(1));
    EXPECT_TRUE(history.Step(-1));
    EXPECT_EQ(history.At(history.Position())->Word, QStringLiteral("able"));
    EXPECT_EQ(history.At(1)->Location.Offset, 11);
    EXPECT_FALSE(history.At(2).has_value());
    history.Clear();
    EXPECT_EQ(view.count(), 0);
    EXPECT_EQ(history.Position(), -1);
}

} // namespace
} // namespace lexivoce::app
