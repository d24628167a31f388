#include "app/profile.h"
#include "lang/error.h"
#include "tests/support/temp_dir.h"

#include <QDirIterator>
#include <QFile>

namespace lexivoce::app {
namespace {

class ProfileTest : public test::TempDirTest
{
protected:
    TProfileChoice resolve(const QStringList &arguments, const QString &xdg = QString(),
                           const QString &fromEnv = QString()) const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("HOME"), QStringLiteral("/home/u"));
        if (!xdg.isNull())
            env.insert(QStringLiteral("XDG_DATA_HOME"), xdg);
        if (!fromEnv.isNull())
            env.insert(QStringLiteral("LEXIVOCE_PROFILE"), fromEnv);
        return ResolveProfile(arguments, env, m_dir.path(), PathOf(QStringLiteral("data")));
    }

    void makeDataTree() const
    {
        ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("data/LANG"))));
        ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("data/dict"))));
        for (const char *name : {"LANG/Lexivoce.eng", "readme.htm", "dict/en-vi.dict", "Lexivoce.ini"})
            WriteFile(QStringLiteral("data/") + QLatin1String(name), name);
    }

    static QStringList filesUnder(const QString &directory)
    {
        QStringList files;
        for (QDirIterator it(directory, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << QDir(directory).relativeFilePath(it.next());
        files.sort();
        return files;
    }
};

TEST_F(ProfileTest, ChoiceOrderFlagThenEnvThenPortableThenXdgThenHome)
{
    const QString xdg = QStringLiteral("/xdg");
    const QString env = QStringLiteral("/env");
    WriteFile(QStringLiteral("Lexivoce.config"), "portable");
    EXPECT_EQ(resolve({QStringLiteral("--profile"), QStringLiteral("/flag")}, xdg, env).Directory,
              QStringLiteral("/flag"));
    EXPECT_EQ(resolve({QStringLiteral("--profile=a/../b")}, xdg, env).Directory, PathOf(QStringLiteral("b")));
    EXPECT_EQ(resolve({}, xdg, QStringLiteral("rel")).Directory, PathOf(QStringLiteral("rel")));

    const TProfileChoice portable = resolve({}, xdg);
    EXPECT_EQ(portable.Directory, m_dir.path());
    EXPECT_FALSE(portable.FillFromData) << "a portable set-up stays as the user made it";
    ASSERT_TRUE(QFile::rename(PathOf(QStringLiteral("Lexivoce.config")), PathOf(QStringLiteral("Lexivoce.ini"))));
    EXPECT_EQ(resolve({}, xdg).Directory, m_dir.path());

    ASSERT_TRUE(QFile::remove(PathOf(QStringLiteral("Lexivoce.ini"))));
    EXPECT_EQ(resolve({}, xdg).Directory, QStringLiteral("/xdg/lexivoce"));
    EXPECT_TRUE(resolve({}, xdg).FillFromData);
    EXPECT_EQ(resolve({}).Directory, QStringLiteral("/home/u/.local/share/lexivoce"));
    // A relative XDG_DATA_HOME is invalid and ignored.
    EXPECT_EQ(resolve({}, QStringLiteral("rel")).Directory, QStringLiteral("/home/u/.local/share/lexivoce"));
}

TEST_F(ProfileTest, ProfileOptionWithoutFolderThrows)
{
    EXPECT_THROW(resolve({QStringLiteral("--profile")}), Error);
    EXPECT_THROW(resolve({QStringLiteral("--profile=")}), Error);
    EXPECT_THROW(resolve({QStringLiteral("--profile"), QStringLiteral("--activate")}), Error);
}

TEST_F(ProfileTest, FillingCopiesMissingFilesAndKeepsTheUsers)
{
    makeDataTree();
    // Installed data is read-only; the copy must still be writable.
    ASSERT_TRUE(QFile::setPermissions(PathOf(QStringLiteral("data/Lexivoce.ini")), QFile::ReadOwner));
    ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("home/p/LANG"))));
    WriteFile(QStringLiteral("home/p/LANG/Lexivoce.eng"), "mine");

    PrepareProfile(PathOf(QStringLiteral("home/p")), PathOf(QStringLiteral("data")));
    EXPECT_EQ(filesUnder(PathOf(QStringLiteral("home/p"))), filesUnder(PathOf(QStringLiteral("data"))));
    EXPECT_EQ(ReadFile(QStringLiteral("home/p/LANG/Lexivoce.eng")), "mine");
    EXPECT_EQ(ReadFile(QStringLiteral("home/p/dict/en-vi.dict")), "dict/en-vi.dict");
    EXPECT_TRUE(QFile::permissions(PathOf(QStringLiteral("home/p/Lexivoce.ini"))) & QFile::WriteOwner);

    // A second start changes nothing, not even a file edited since.
    WriteFile(QStringLiteral("home/p/readme.htm"), "edited");
    PrepareProfile(PathOf(QStringLiteral("home/p")), PathOf(QStringLiteral("data")));
    EXPECT_EQ(ReadFile(QStringLiteral("home/p/readme.htm")), "edited");
    EXPECT_EQ(filesUnder(PathOf(QStringLiteral("home/p"))), filesUnder(PathOf(QStringLiteral("data"))));
}

TEST_F(ProfileTest, UncreatableFolderThrowsNamingIt)
{
    makeDataTree();
    WriteFile(QStringLiteral("file"), "x");
    const QString underFile = PathOf(QStringLiteral("file/p"));
    try {
        PrepareProfile(underFile, PathOf(QStringLiteral("data")));
        ADD_FAILURE() << "no error";
    } catch (const Error &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Cannot create the folder \"%1\".").arg(underFile));
    }
    // A file of the user's where a data folder goes.
    ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("p"))));
    WriteFile(QStringLiteral("p/LANG"), "not a folder");
    EXPECT_THROW(PrepareProfile(PathOf(QStringLiteral("p")), PathOf(QStringLiteral("data"))), Error);
    EXPECT_THROW(EnterProfile(PathOf(QStringLiteral("missing"))), Error);
}

TEST_F(ProfileTest, RelativeFileArgumentsBecomeAbsolute)
{
    const QStringList arguments{QStringLiteral("w.txt"), QStringLiteral("--activate"),
                                QStringLiteral("--profile"), QStringLiteral("mine"),
                                QStringLiteral("../up/l.txt"), QStringLiteral("/abs.txt")};
    const QStringList expected{QStringLiteral("/cwd/w.txt"), QStringLiteral("--activate"),
                               QStringLiteral("--profile"), QStringLiteral("mine"),
                               QStringLiteral("/up/l.txt"), QStringLiteral("/abs.txt")};
    EXPECT_EQ(AbsoluteFileArguments(arguments, QStringLiteral("/cwd")), expected);
}

TEST_F(ProfileTest, BuildTreeFindsTheSourceDataFolder)
{
    EXPECT_TRUE(QFileInfo::exists(InstalledDataDirectory() + QStringLiteral("/LANG/Lexivoce.eng")));
}

} // namespace
} // namespace lexivoce::app
