#include "shellview/file_operations.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace lexivoce::shellview {
namespace {

// Each case with a home of its own, inside the temporary folder (so on the
// same file system as the files it trashes).
class FileOperationsTest : public test::TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        m_home = PathOf(QStringLiteral("home"));
        ASSERT_TRUE(QDir().mkpath(m_home));
        qputenv("HOME", QFile::encodeName(m_home));
        qunsetenv("XDG_DATA_HOME");
        ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("work"))));
    }

    QString m_home;
};

TEST_F(FileOperationsTest, TrashWithAndWithoutTheDataFolder)
{
    for (const bool dataFolderExists : {false, true}) {
        SCOPED_TRACE(dataFolderExists ? "with ~/.local/share" : "without ~/.local/share");
        if (dataFolderExists)
            ASSERT_TRUE(QDir().mkpath(m_home + QStringLiteral("/.local/share")));
        else
            ASSERT_FALSE(QFileInfo::exists(m_home + QStringLiteral("/.local/share")));
        const QString name = dataFolderExists ? QStringLiteral("second.dict") : QStringLiteral("first.dict");
        WriteFile(QStringLiteral("work/") + name, "@a\n");
        QString reason;
        ASSERT_TRUE(MoveToTrash(PathOf(QStringLiteral("work/") + name), &reason)) << reason.toStdString();
        EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("work/") + name)));
        EXPECT_TRUE(QFileInfo::exists(m_home + QStringLiteral("/.local/share/Trash/files/") + name));
        EXPECT_TRUE(QFileInfo::exists(m_home + QStringLiteral("/.local/share/Trash/info/") + name
                                      + QStringLiteral(".trashinfo")));
        // Qt 6.4's fault made these in the current folder.
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("files")));
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("info")));
    }
    // Folders go whole.
    ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("work/folder/inner"))));
    ASSERT_TRUE(MoveToTrash(PathOf(QStringLiteral("work/folder"))));
    EXPECT_TRUE(QFileInfo::exists(m_home + QStringLiteral("/.local/share/Trash/files/folder/inner")));
}

TEST_F(FileOperationsTest, NoTrashLeavesTheFileWhereItWas)
{
    // The data folder cannot be made: a file stands where it would be.
    WriteFile(QStringLiteral("home/.local"), "not a folder");
    WriteFile(QStringLiteral("work/kept.dict"), "@a\n");
    QString reason;
    EXPECT_FALSE(MoveToTrash(PathOf(QStringLiteral("work/kept.dict")), &reason));
    EXPECT_EQ(ReadFile(QStringLiteral("work/kept.dict")), "@a\n");
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("files")));
    EXPECT_FALSE(MoveToTrash(PathOf(QStringLiteral("work/missing.dict")), &reason));
    EXPECT_FALSE(reason.isEmpty());
}

TEST_F(FileOperationsTest, AMoveOutsideAnyTrashIsUndone)
{
    // The home trash cannot be made (a file has its name): Qt then takes
    // the current folder for the trash and says it succeeded.
    ASSERT_TRUE(QDir().mkpath(m_home + QStringLiteral("/.local/share")));
    WriteFile(QStringLiteral("home/.local/share/Trash"), "not a folder");
    WriteFile(QStringLiteral("work/kept.dict"), "@a\n");
    EXPECT_FALSE(MoveToTrash(PathOf(QStringLiteral("work/kept.dict"))));
    EXPECT_EQ(ReadFile(QStringLiteral("work/kept.dict")), "@a\n");
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("files")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("info")));
}

TEST(TrashFolders, OnlyTheFilesFolderOfARealTrash)
{
    const QString uid = QString::number(::getuid());
    EXPECT_TRUE(IsInTrashFolder(QStringLiteral("/home/lan/.local/share/Trash/files/a.dict")));
    EXPECT_TRUE(IsInTrashFolder(QStringLiteral("/media/usb/.Trash-") + uid + QStringLiteral("/files/a.dict")));
    EXPECT_TRUE(IsInTrashFolder(QStringLiteral("/media/usb/.Trash/") + uid + QStringLiteral("/files/a.dict")));
    EXPECT_FALSE(IsInTrashFolder(QStringLiteral("/home/lan/files/a.dict")));      // ./files of the fault
    EXPECT_FALSE(IsInTrashFolder(QStringLiteral("/home/lan/Trash/info/a.dict")));
    EXPECT_FALSE(IsInTrashFolder(QStringLiteral("/media/usb/.Trash-99999999/files/a.dict")));
    EXPECT_FALSE(IsInTrashFolder(QStringLiteral("files/a.dict")));
}

TEST_F(FileOperationsTest, PermanentDeleteTakesFoldersWholeButNeverFollowsLinks)
{
    ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("work/tree/deep/deeper"))));
    WriteFile(QStringLiteral("work/tree/deep/deeper/a.dict"), "@a\n");
    WriteFile(QStringLiteral("outside.dict"), "@kept\n");
    ASSERT_TRUE(QFile::link(PathOf(QStringLiteral("outside.dict")), PathOf(QStringLiteral("work/tree/link"))));
    QString reason;
    ASSERT_TRUE(DeletePermanently(PathOf(QStringLiteral("work/tree")), &reason)) << reason.toStdString();
    EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("work/tree"))));
    EXPECT_EQ(ReadFile(QStringLiteral("outside.dict")), "@kept\n");
    EXPECT_FALSE(DeletePermanently(PathOf(QStringLiteral("work/tree")), &reason));
    EXPECT_FALSE(reason.isEmpty());
}

TEST_F(FileOperationsTest, CopyMoveAndRenameNeverOverwrite)
{
    WriteFile(QStringLiteral("a.dict"), "@new\n");
    WriteFile(QStringLiteral("work/a.dict"), "@old\n");
    QString reason;
    EXPECT_FALSE(CopyInto(PathOf(QStringLiteral("a.dict")), PathOf(QStringLiteral("work")), &reason));
    EXPECT_FALSE(MoveInto(PathOf(QStringLiteral("a.dict")), PathOf(QStringLiteral("work")), &reason));
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(ReadFile(QStringLiteral("work/a.dict")), "@old\n");

    WriteFile(QStringLiteral("b.dict"), "@b\n");
    EXPECT_FALSE(RenameTo(PathOf(QStringLiteral("b.dict")), QStringLiteral("a.dict")));
    EXPECT_FALSE(RenameTo(PathOf(QStringLiteral("b.dict")), QStringLiteral("work/c.dict")));
    EXPECT_EQ(ReadFile(QStringLiteral("a.dict")), "@new\n");
    ASSERT_TRUE(RenameTo(PathOf(QStringLiteral("b.dict")), QStringLiteral("c.dict")));
    EXPECT_EQ(ReadFile(QStringLiteral("c.dict")), "@b\n");

    ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("folder/inner"))));
    WriteFile(QStringLiteral("folder/inner/x.dict"), "@x\n");
    ASSERT_TRUE(CopyInto(PathOf(QStringLiteral("folder")), PathOf(QStringLiteral("work")), &reason));
    EXPECT_EQ(ReadFile(QStringLiteral("work/folder/inner/x.dict")), "@x\n");
    EXPECT_FALSE(CopyInto(PathOf(QStringLiteral("folder")), PathOf(QStringLiteral("folder/inner"))));
    ASSERT_TRUE(MoveInto(PathOf(QStringLiteral("c.dict")), PathOf(QStringLiteral("work"))));
    EXPECT_FALSE(QFileInfo::exists(PathOf(QStringLiteral("c.dict"))));
    EXPECT_EQ(ReadFile(QStringLiteral("work/c.dict")), "@b\n");
}

TEST_F(FileOperationsTest, NewFolderNamesCountUp)
{
    EXPECT_EQ(FreeNewFolderName(PathOf(QStringLiteral("work"))), QStringLiteral("New Folder"));
    ASSERT_TRUE(QDir(PathOf(QStringLiteral("work"))).mkdir(QStringLiteral("New Folder")));
    WriteFile(QStringLiteral("work/New Folder (2)"), "a file counts too");
    EXPECT_EQ(FreeNewFolderName(PathOf(QStringLiteral("work"))), QStringLiteral("New Folder (3)"));
}

} // namespace
} // namespace lexivoce::shellview
