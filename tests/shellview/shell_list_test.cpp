#include "shellview/shell_combo.h"
#include "shellview/shell_list.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace lexivoce::shellview {
namespace {

// A folder with two subfolders, three files and a hidden one.
class ShellListTest : public test::TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        for (const char *folder : {"tree/dict", "tree/Books", "tree/dict/inner"})
            ASSERT_TRUE(QDir().mkpath(PathOf(QString::fromLatin1(folder))));
        for (const char *file : {"tree/b.dict", "tree/a.dict", "tree/notes.txt", "tree/.hidden.dict"})
            WriteFile(QString::fromLatin1(file), "@x\n");
        m_list.resize(400, 300);
        ASSERT_TRUE(m_list.SetPath(PathOf(QStringLiteral("tree"))));
    }

    QStringList Names() const
    {
        QStringList names;
        for (int row = 0; row < m_list.model()->rowCount(); ++row)
            names << m_list.FolderModel()->NameAt(row);
        return names;
    }

    TShellList m_list;
};

TEST_F(ShellListTest, FoldersFirstThenFilesTheFilterLetsThrough)
{
    EXPECT_EQ(m_list.Path(), PathOf(QStringLiteral("tree/")));
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Books"), QStringLiteral("dict"), QStringLiteral("a.dict"),
                                    QStringLiteral("b.dict"), QStringLiteral("notes.txt")}));
    m_list.SetMask(QStringLiteral("*.dict"));
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Books"), QStringLiteral("dict"), QStringLiteral("a.dict"),
                                    QStringLiteral("b.dict")}));
    m_list.SetMask(QStringLiteral("."));
    EXPECT_EQ(Names(), (QStringList{QStringLiteral("Books"), QStringLiteral("dict")}));
    // A folder's kind is said after its name; a file has none.
    const QAbstractItemModel *model = m_list.model();
    EXPECT_EQ(model->index(0, 0).data(Qt::AccessibleDescriptionRole).toString(), TShellTexts::Defaults().Folder);
    m_list.SetMask(QStringLiteral("*"));
    EXPECT_TRUE(model->index(2, 0).data(Qt::AccessibleDescriptionRole).toString().isEmpty());

    QTest::keyClick(&m_list, Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(Names().contains(QStringLiteral(".hidden.dict")));
}

TEST_F(ShellListTest, AnUnusablePathChangesNothing)
{
    QSignalSpy changed(&m_list, &TShellList::FolderChanged);
    QSignalSpy errors(&m_list, &TShellList::FileError);
    EXPECT_FALSE(m_list.SetPath(PathOf(QStringLiteral("tree/missing"))));
    EXPECT_FALSE(m_list.SetPath(PathOf(QStringLiteral("tree/a.dict"))));
    EXPECT_EQ(m_list.Path(), PathOf(QStringLiteral("tree/")));
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(errors.count(), 0);
    // A user's move to it is told.
    EXPECT_FALSE(m_list.Navigate(PathOf(QStringLiteral("tree/missing"))));
    ASSERT_EQ(errors.count(), 1);
    const auto error = errors.first().first().value<TFileError>();
    EXPECT_EQ(error.Kind, TFileError::OpenFolder);
    EXPECT_EQ(error.Name, QStringLiteral("missing"));
    EXPECT_FALSE(error.Reason.isEmpty());
}

TEST_F(ShellListTest, EnterGoesInBackspaceComesBackToTheFolderLeft)
{
    QSignalSpy changed(&m_list, &TShellList::FolderChanged);
    m_list.SetSelectedNames({QStringLiteral("dict")});
    QTest::keyClick(&m_list, Qt::Key_Return); // no dialog: the view's own default action
    EXPECT_EQ(m_list.Path(), PathOf(QStringLiteral("tree/dict/")));
    EXPECT_TRUE(m_list.SelectedNames().isEmpty());
    QTest::keyClick(&m_list, Qt::Key_Backspace);
    EXPECT_EQ(m_list.Path(), PathOf(QStringLiteral("tree/")));
    EXPECT_EQ(m_list.SelectedNames(), QStringList{QStringLiteral("dict")});
    EXPECT_EQ(changed.count(), 2);

    // Up from the root is the top, and up from the top nothing.
    ASSERT_TRUE(m_list.SetPath(QStringLiteral("/")));
    m_list.GoUp();
    EXPECT_TRUE(m_list.IsTop());
    EXPECT_EQ(m_list.Path(), QString());
    EXPECT_EQ(m_list.SelectedNames(), QStringList{TShellTexts::Defaults().FileSystem});
    m_list.GoUp();
    EXPECT_TRUE(m_list.IsTop());
    // The top lists home and the root.
    EXPECT_EQ(m_list.FolderModel()->PathAt(0), QDir::cleanPath(QDir::homePath()));
    EXPECT_EQ(m_list.FolderModel()->PathAt(1), QStringLiteral("/"));
}

TEST_F(ShellListTest, SelectionReadAndWrittenByNameInViewOrder)
{
    m_list.SetMultiSelect(true);
    m_list.SetSelectedNames({QStringLiteral("notes.txt"), QStringLiteral("missing"), QStringLiteral("a.dict")});
    EXPECT_EQ(m_list.SelectedNames(), (QStringList{QStringLiteral("a.dict"), QStringLiteral("notes.txt")}));
    EXPECT_EQ(m_list.currentIndex().row(), m_list.FolderModel()->RowOf(QStringLiteral("notes.txt")));
    // Kept across a listing again, without telling anyone.
    QSignalSpy selection(&m_list, &TShellList::SelectionChanged);
    m_list.Refresh();
    EXPECT_EQ(m_list.SelectedNames(), (QStringList{QStringLiteral("a.dict"), QStringLiteral("notes.txt")}));
    EXPECT_EQ(selection.count(), 0);
    // One only, without multiple selection.
    m_list.SetMultiSelect(false);
    m_list.SetSelectedNames({QStringLiteral("b.dict"), QStringLiteral("a.dict")});
    EXPECT_EQ(m_list.SelectedNames(), QStringList{QStringLiteral("b.dict")});
}

TEST_F(ShellListTest, NewFolderIsMadeSelectedAndItsNameEdited)
{
    ASSERT_TRUE(m_list.CreateNewFolder());
    EXPECT_TRUE(QFileInfo(PathOf(QStringLiteral("tree/New Folder"))).isDir());
    EXPECT_EQ(m_list.SelectedNames(), QStringList{QStringLiteral("New Folder")});
    EXPECT_TRUE(m_list.IsEditing());
    // Renamed in place.
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (editor) {
        editor->setText(QStringLiteral("Dictionaries"));
        QTest::keyClick(editor, Qt::Key_Return);
        EXPECT_TRUE(QFileInfo(PathOf(QStringLiteral("tree/Dictionaries"))).isDir());
    }
    ASSERT_TRUE(m_list.CreateNewFolder());
    const QStringList names = Names();
    EXPECT_TRUE(names.contains(editor ? QStringLiteral("New Folder") : QStringLiteral("New Folder (2)")));
}

TEST_F(ShellListTest, ARenameOntoAnotherNameIsRefusedAndTold)
{
    QSignalSpy errors(&m_list, &TShellList::FileError);
    const QModelIndex a = m_list.model()->index(m_list.FolderModel()->RowOf(QStringLiteral("a.dict")), 0);
    EXPECT_FALSE(m_list.model()->setData(a, QStringLiteral("b.dict")));
    EXPECT_EQ(ReadFile(QStringLiteral("tree/b.dict")), "@x\n");
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.first().first().value<TFileError>().Kind, TFileError::Rename);
    EXPECT_TRUE(m_list.model()->setData(a, QStringLiteral("c.dict")));
    EXPECT_TRUE(QFileInfo::exists(PathOf(QStringLiteral("tree/c.dict"))));
    EXPECT_EQ(m_list.FolderModel()->NameAt(a.row()), QStringLiteral("c.dict"));
}

TEST_F(ShellListTest, ChangesOnDiskAreFollowed)
{
    QSignalSpy populated(&m_list, &TShellList::Populated);
    WriteFile(QStringLiteral("tree/new.dict"), "@n\n");
    ASSERT_TRUE(populated.wait(5000));
    EXPECT_TRUE(Names().contains(QStringLiteral("new.dict")));
}

TEST_F(ShellListTest, ALargeFolderIsListedOnAThreadAndTheLastMoveWins)
{
    ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("big"))));
    for (int i = 1; i <= 2500; ++i)
        WriteFile(QStringLiteral("big/file %1.dict").arg(i), QByteArray());
    QSignalSpy changed(&m_list, &TShellList::FolderChanged);
    ASSERT_TRUE(m_list.SetPath(PathOf(QStringLiteral("big"))));
    // Not in yet: the old folder is still shown.
    EXPECT_EQ(changed.count(), 0);
    EXPECT_TRUE(m_list.IsLoading());
    ASSERT_TRUE(changed.wait(10000));
    EXPECT_EQ(m_list.Path(), PathOf(QStringLiteral("big/")));
    ASSERT_EQ(m_list.model()->rowCount(), 2500);
    EXPECT_EQ(m_list.FolderModel()->NameAt(0), QStringLiteral("file 1.dict"));
    EXPECT_EQ(m_list.FolderModel()->NameAt(9), QStringLiteral("file 10.dict"));
    EXPECT_EQ(m_list.FolderModel()->NameAt(2499), QStringLiteral("file 2500.dict"));

    // A move made while a large folder loads replaces it.
    ASSERT_TRUE(m_list.SetPath(PathOf(QStringLiteral("tree"))));
    ASSERT_TRUE(m_list.SetPath(PathOf(QStringLiteral("big"))));
    ASSERT_TRUE(m_list.SetPath(PathOf(QStringLiteral("tree/dict"))));
    QTest::qWait(200);
    EXPECT_EQ(m_list.Path(), PathOf(QStringLiteral("tree/dict/")));
    EXPECT_FALSE(m_list.IsLoading());
}

TEST_F(ShellListTest, TheComboFollowsTheListAndLeadsIt)
{
    TShellCombo combo;
    combo.SetList(&m_list);
    ASSERT_TRUE(m_list.SetPath(PathOf(QStringLiteral("tree/dict/inner"))));
    EXPECT_EQ(combo.currentText(), QStringLiteral("inner"));
    // The top, then its places; the folders leading here under the root.
    EXPECT_EQ(combo.itemText(0), TShellTexts::Defaults().Top);
    const int inner = combo.currentIndex();
    EXPECT_EQ(combo.itemText(inner - 1), QStringLiteral("dict"));
    EXPECT_EQ(combo.itemText(inner - 2), QStringLiteral("tree"));
    EXPECT_GT(combo.itemData(inner, TShellCombo::LevelRole).toInt(),
              combo.itemData(inner - 1, TShellCombo::LevelRole).toInt());

    // Picking one shows it.
    combo.setCurrentIndex(inner - 2);
    Q_EMIT combo.activated(inner - 2);
    EXPECT_EQ(m_list.Path(), PathOf(QStringLiteral("tree/")));
    EXPECT_EQ(combo.currentText(), QStringLiteral("tree"));

    // A typed path goes there on Enter.
    combo.lineEdit()->setText(PathOf(QStringLiteral("tree/Books")));
    QTest::keyClick(&combo, Qt::Key_Return);
    EXPECT_EQ(m_list.Path(), PathOf(QStringLiteral("tree/Books/")));
    combo.lineEdit()->setText(QStringLiteral("no such folder"));
    QTest::keyClick(&combo, Qt::Key_Return);
    EXPECT_EQ(m_list.Path(), PathOf(QStringLiteral("tree/Books/")));
    EXPECT_EQ(combo.currentText(), QStringLiteral("Books"));

    ASSERT_TRUE(m_list.SetPath(QString()));
    EXPECT_EQ(combo.currentIndex(), 0);
}

} // namespace
} // namespace lexivoce::shellview
