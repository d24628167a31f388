// Adding a dictionary by ear, in the real program: a generated dictionary of
// 150,000 words is registered, sorted and indexed from the dictionary
// manager with keys only, and its words are then offered and read.
#include "tests/e2e/program_fixture.h"

#include "bench/dict_generator.h"

namespace lexivoce::test {
namespace {

class ManagerProgramTest : public ProgramTest
{
protected:
    // The interface's speak calls so far.
    qsizetype Said() const { return Spoken(Interface).size(); }

    // Presses key and waits until the program says something that holds
    // text (after what it had said before).
    bool KeyThen(const QString &key, const QString &text)
    {
        const qsizetype before = Said();
        if (Tool({QStringLiteral("key"), key}).Exit != 0)
            return false;
        return WaitUntil([&] { return Spoken(Interface).mid(before).join(u'\n').contains(text); });
    }

    // Tab until the focused control's announcement holds text.
    bool TabTo(const QString &text)
    {
        for (int step = 0; step < 30; ++step) {
            const qsizetype before = Said();
            if (Tool({QStringLiteral("key"), QStringLiteral("Tab")}).Exit != 0)
                return false;
            if (!WaitUntil([&] { return Said() > before; }, 5000))
                continue;
            if (Spoken(Interface).mid(before).join(u'\n').contains(text))
                return true;
        }
        return false;
    }

    void Type(const QString &text)
    {
        ASSERT_EQ(Tool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text}).Exit, 0);
    }
};

TEST_F(ManagerProgramTest, ADictionaryOf150000WordsIsAddedIndexedAndReadByEar)
{
    // Unsorted, as dictionaries made by hand are.
    const QByteArray dictionary = bench::GenerateDictionary({150000, false, 20261209});
    WriteFile(QStringLiteral("big.dict"), dictionary);
    // A head word of it to look up afterwards.
    const qsizetype at = dictionary.indexOf("\r\n@", dictionary.indexOf("@00-database-url")) + 3;
    const QString word = QString::fromUtf8(dictionary.mid(at, dictionary.indexOf("\r\n", at) - at)).section(u'/', 0, 0).trimmed();
    ASSERT_FALSE(word.isEmpty());
    const QString path = PathOf(QStringLiteral("big.dict"));

    ASSERT_NO_FATAL_FAILURE(StartReadyProgram());
    ASSERT_TRUE(KeyThen(QStringLiteral("ctrl+d"), QStringLiteral("Setup dictionary"))) << Transcript();
    ASSERT_TRUE(TabTo(QStringLiteral("Add"))) << Transcript();
    ASSERT_TRUE(KeyThen(QStringLiteral("space"), QStringLiteral("File name"))) << Transcript();
    Type(path);
    ASSERT_TRUE(TabTo(QStringLiteral("Dict name"))) << Transcript();
    ASSERT_EQ(Tool({QStringLiteral("key"), QStringLiteral("ctrl+a")}).Exit, 0);
    Type(QStringLiteral("Big"));
    ASSERT_TRUE(TabTo(QStringLiteral("Voice 1"))) << Transcript();
    Type(QStringLiteral("English"));
    ASSERT_TRUE(TabTo(QStringLiteral("Voice 2"))) << Transcript();
    Type(QStringLiteral("Vietnamese"));
    ASSERT_TRUE(WaitUntil([&] { return Spoken(Interface).join(u'\n').contains(QStringLiteral("Voice 2 Vietnamese")); }))
        << Transcript();
    ASSERT_TRUE(TabTo(QStringLiteral("Save"))) << Transcript();
    ASSERT_TRUE(KeyThen(QStringLiteral("space"), QStringLiteral("The new item has been added"))) << Transcript();

    // The index page, one Right on the page tabs.
    ASSERT_TRUE(TabTo(QStringLiteral("tab Params"))) << Transcript();
    ASSERT_TRUE(KeyThen(QStringLiteral("Right"), QStringLiteral("Create index"))) << Transcript();
    ASSERT_TRUE(TabTo(QStringLiteral("Dict file"))) << Transcript();
    Type(path);
    ASSERT_TRUE(TabTo(QStringLiteral("Sort"))) << Transcript();
    ASSERT_TRUE(KeyThen(QStringLiteral("space"), QStringLiteral("Sort checked"))) << Transcript();
    ASSERT_TRUE(TabTo(QStringLiteral("Create"))) << Transcript();
    ASSERT_TRUE(KeyThen(QStringLiteral("space"), QStringLiteral("Index file has been created"))) << Transcript();
    for (const char *notice : {"Sorting dict file", "Creating index file"})
        EXPECT_GT(Count(Interface, QString::fromLatin1(notice)), 0) << notice;
    ASSERT_TRUE(QFile::exists(PathOf(QStringLiteral("big.index"))));

    // Back on the first page, the shipped dictionary is no longer offered:
    // after OK the new one is the active one.
    ASSERT_TRUE(TabTo(QStringLiteral("tab Create index"))) << Transcript();
    ASSERT_TRUE(KeyThen(QStringLiteral("Left"), QStringLiteral("Params"))) << Transcript();
    ASSERT_TRUE(TabTo(QStringLiteral("Available dictionaries"))) << Transcript();
    ASSERT_TRUE(KeyThen(QStringLiteral("Home"), QStringLiteral("checked"))) << Transcript();
    ASSERT_TRUE(KeyThen(QStringLiteral("space"), QStringLiteral("unchecked"))) << Transcript();
    ASSERT_TRUE(TabTo(QStringLiteral("Save"))) << Transcript();
    ASSERT_TRUE(KeyThen(QStringLiteral("space"), QStringLiteral("The selected item has been modified"))) << Transcript();
    ASSERT_TRUE(TabTo(QStringLiteral("OK"))) << Transcript();
    ASSERT_TRUE(KeyThen(QStringLiteral("Return"), QStringLiteral("Big dictionary is ready"))) << Transcript();
    ASSERT_TRUE(WaitUntil([&] { return ActivePid() == m_program->processId(); }));
    Type(word);
    const qsizetype entries = Spoken(EntrySpeaker).size();
    ASSERT_EQ(Tool({QStringLiteral("key"), QStringLiteral("Return")}).Exit, 0);
    ASSERT_TRUE(WaitUntil([&] {
        const QStringList said = Spoken(EntrySpeaker).mid(entries);
        return std::any_of(said.begin(), said.end(), [&](const QString &text) {
            return text.contains(QStringLiteral("NAME=English")) && text.contains(QStringLiteral("NAME=Vietnamese"))
                   && text.contains(word);
        });
    })) << word.toStdString() << "\n" << Transcript();
}

} // namespace
} // namespace lexivoce::test
