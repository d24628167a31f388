// Nothing lost on a full disk: every writer (sorting, the index, the
// configuration, a language file's write-back) either writes its file whole
// or leaves the old bytes, says why in one line, and leaves nothing behind.
//
// Each case runs the real command in an unprivileged user and mount
// namespace (unshare -rm) on a small tmpfs filled up to a chosen level; the
// files are copied out before the namespace ends. Where such namespaces are
// not allowed, the cases are skipped with the reason.
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace lexivoce::test {
namespace {

// The first three entries are the header; the words after them come in a
// scrambled order, so that sorting moves nearly every byte.
QByteArray dictionaryOf(qsizetype size)
{
    QByteArray bytes = "@00-info\r\n-a dictionary for the full-disk tests\r\n@01-author\r\n@02-licence\r\n";
    for (int i = 0; bytes.size() < size; ++i)
        bytes += "@w" + QByteArray::number(i * 7919 % 100003) + "\r\n-nghĩa " + QByteArray::number(i) + "\r\n";
    return bytes;
}

QByteArray utf16(const QString &text)
{
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return bytes;
}

enum class Scenario { SortSmall, SortHardLinked, SortLarge, Index, Configuration, LanguageWriteBack };
enum class Outcome { Fails, Succeeds, Either };

struct DiskCase
{
    const char *Name;
    Scenario What;
    qint64 Free; // bytes left free before the command; -1: the disk is not filled
    Outcome Expect;
};

// Test names show the case, not its bytes.
void PrintTo(const DiskCase &c, std::ostream *out)
{
    *out << c.Name;
}

constexpr qint64 kPage = 4096;
constexpr qint64 kLarge = 1024 * 1024;

class FullDiskTest : public TempDirTest, public ::testing::WithParamInterface<DiskCase>
{
protected:
    // The files of the scenario, written into folder; returns the command
    // that changes them.
    static QStringList Prepare(Scenario what, const QDir &folder)
    {
        const auto write = [&](const QString &name, const QByteArray &bytes) {
            QDir().mkpath(QFileInfo(folder.filePath(name)).path());
            QFile file(folder.filePath(name));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            EXPECT_EQ(file.write(bytes), bytes.size());
        };
        const QString dict = QStringLiteral(LEXIVOCE_DICT_BINARY);
        const QString probe = QStringLiteral(INI_WRITE_PROBE_BINARY);
        switch (what) {
        case Scenario::SortSmall:
        case Scenario::SortHardLinked:
        case Scenario::Index:
            write(QStringLiteral("d.dict"), dictionaryOf(8000));
            write(QStringLiteral("d.index"), "00-info\tA\tq\n01-author\tq\tM\nw0\t8\tM");
            // Both names must see the sorted file: it is rewritten in place.
            if (what == Scenario::SortHardLinked) {
                EXPECT_EQ(::link(QFile::encodeName(folder.filePath(QStringLiteral("d.dict"))).constData(),
                                 QFile::encodeName(folder.filePath(QStringLiteral("other.dict"))).constData()),
                          0);
            }
            return what == Scenario::Index
                       ? QStringList{dict, QStringLiteral("index"), QStringLiteral("d.dict")}
                       : QStringList{dict, QStringLiteral("index"), QStringLiteral("--sort"), QStringLiteral("d.dict")};
        case Scenario::SortLarge:
            write(QStringLiteral("d.dict"), dictionaryOf(kLarge));
            return {dict, QStringLiteral("index"), QStringLiteral("--sort"), QStringLiteral("d.dict")};
        case Scenario::Configuration:
            write(QStringLiteral("Lexivoce.config"),
                  utf16(QStringLiteral("[Interface]\r\nActiveDict=English\r\nLanguage=vie\r\n")));
            return {probe, QStringLiteral("ini"), QStringLiteral("Lexivoce.config"), QStringLiteral("Interface"),
                    QStringLiteral("ActiveDict"), QString::fromUtf8("Anh–Việt")};
        case Scenario::LanguageWriteBack: {
            QFile shipped(QStringLiteral(LEXIVOCE_DATA_DIR "/LANG/Lexivoce.eng"));
            EXPECT_TRUE(shipped.open(QIODevice::ReadOnly));
            write(QStringLiteral("LANG/Lexivoce.eng"), shipped.readAll());
            return {probe, QStringLiteral("localize"), QStringLiteral("LANG/Lexivoce.eng"), QStringLiteral("MESSAGES"),
                    QStringLiteral("MSG99"), QStringLiteral("A text the file did not have yet")};
        }
        }
        return {};
    }

    // Every file under folder, by relative path, with its bytes.
    static QMap<QString, QByteArray> FilesOf(const QString &folder)
    {
        QMap<QString, QByteArray> files;
        const QDir root(QDir(folder).absolutePath());
        QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            files.insert(root.relativeFilePath(file.fileName()), file.readAll());
        }
        return files;
    }

    struct Run
    {
        int Exit = -1;
        QString Err;
        QString Skip; // why the namespace could not be had
    };

    // Runs command in a copy of "in" on a filled tmpfs; the files are copied
    // to "out" afterwards.
    static Run RunOnTinyDisk(qint64 free, const QStringList &command)
    {
        const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
        if (unshare.isEmpty())
            return {-1, {}, QStringLiteral("there is no unshare program")};
        QDir().mkpath(QStringLiteral("fs"));
        QDir().mkpath(QStringLiteral("out/files"));
        // The filler takes every page, then gives back what is to stay free.
        const QString script = QStringLiteral(R"(
free=$1; shift
mount -t tmpfs -o size=4m tmpfs fs 2>out/mount || exit 77
cp -a in/. fs/ || exit 78
cd fs || exit 78
if [ "$free" -ge 0 ]; then
    dd if=/dev/zero of=.filler bs=4096 2>/dev/null
    truncate -s -"$free" .filler || exit 78
fi
"$@" >/dev/null 2>../out/stderr
echo $? >../out/exit
rm -f .filler
cp -a . ../out/files/ || exit 78
)");
        QProcess process;
        process.start(unshare, QStringList{QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                                           QStringLiteral("sh"), QString::number(free)}
                                   + command);
        if (!process.waitForFinished(60000))
            return {-1, {}, QStringLiteral("unshare did not finish")};
        if (process.exitCode() != 0) {
            QFile mountError(QStringLiteral("out/mount"));
            mountError.open(QIODevice::ReadOnly);
            return {-1, {},
                    QStringLiteral("no unprivileged user and mount namespace with a tmpfs here (exit %1): %2 %3")
                        .arg(process.exitCode())
                        .arg(QString::fromLocal8Bit(process.readAllStandardError()).trimmed(),
                             QString::fromLocal8Bit(mountError.readAll()).trimmed())};
        }
        QFile exitFile(QStringLiteral("out/exit"));
        QFile errFile(QStringLiteral("out/stderr"));
        exitFile.open(QIODevice::ReadOnly);
        errFile.open(QIODevice::ReadOnly);
        return {exitFile.readAll().trimmed().toInt(), QString::fromUtf8(errFile.readAll()), {}};
    }
};

TEST_P(FullDiskTest, NothingIsLost)
{
    const DiskCase &c = GetParam();
    const QStringList command = Prepare(c.What, QDir(QStringLiteral("in")));
    const QMap<QString, QByteArray> before = FilesOf(QStringLiteral("in"));

    // What the command makes of the files with room enough.
    ASSERT_EQ(QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), QStringLiteral("in"), QStringLiteral("ref")}), 0);
    QProcess reference;
    reference.setWorkingDirectory(PathOf(QStringLiteral("ref")));
    reference.start(command.first(), command.mid(1));
    ASSERT_TRUE(reference.waitForFinished(60000));
    ASSERT_EQ(reference.exitCode(), 0) << reference.readAllStandardError().toStdString();
    const QMap<QString, QByteArray> written = FilesOf(QStringLiteral("ref"));
    ASSERT_NE(written, before);
    if (c.What == Scenario::SortHardLinked) {
        ASSERT_EQ(written.value(QStringLiteral("other.dict")), written.value(QStringLiteral("d.dict")));
    }

    const Run run = RunOnTinyDisk(c.Free, command);
    if (!run.Skip.isEmpty())
        GTEST_SKIP() << run.Skip.toStdString();
    const QMap<QString, QByteArray> after = FilesOf(QStringLiteral("out/files"));

    // Nothing stays behind, nothing goes, and each file is old or new, never
    // cut.
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        EXPECT_TRUE(after.contains(it.key())) << it.key().toStdString() << " is gone";
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        EXPECT_TRUE(written.contains(it.key())) << it.key().toStdString() << " was left behind";
        EXPECT_TRUE(it.value() == before.value(it.key()) || it.value() == written.value(it.key()))
            << it.key().toStdString() << ": " << it.value().size() << " bytes, neither the old "
            << before.value(it.key()).size() << " nor the new " << written.value(it.key()).size();
    }
    if (run.Exit == 0) {
        EXPECT_NE(c.Expect, Outcome::Fails) << "a write that cannot fit succeeded";
        EXPECT_EQ(after, written);
        return;
    }
    EXPECT_NE(c.Expect, Outcome::Succeeds) << run.Err.toStdString();
    EXPECT_EQ(run.Exit, 1);
    EXPECT_EQ(run.Err.count(u'\n'), 1) << run.Err.toStdString();
    const bool dictionaryTool = c.What != Scenario::Configuration && c.What != Scenario::LanguageWriteBack;
    EXPECT_TRUE(run.Err.contains(dictionaryTool ? QStringLiteral("No space left on device")
                                                : QStringLiteral("Unable to write to ")))
        << run.Err.toStdString();
    if (c.Expect == Outcome::Fails) {
        EXPECT_EQ(after, before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Writers, FullDiskTest,
    ::testing::Values(
        DiskCase{"SortSmallFull", Scenario::SortSmall, 0, Outcome::Fails},
        DiskCase{"SortSmallOnePage", Scenario::SortSmall, kPage, Outcome::Fails},
        DiskCase{"SortSmallTwoPages", Scenario::SortSmall, 2 * kPage, Outcome::Either},
        DiskCase{"SortSmallRoom", Scenario::SortSmall, -1, Outcome::Succeeds},
        DiskCase{"SortHardLinkedFull", Scenario::SortHardLinked, 0, Outcome::Fails},
        DiskCase{"SortHardLinkedOnePage", Scenario::SortHardLinked, kPage, Outcome::Fails},
        DiskCase{"SortHardLinkedRoom", Scenario::SortHardLinked, -1, Outcome::Succeeds},
        DiskCase{"SortLargeFull", Scenario::SortLarge, 0, Outcome::Fails},
        DiskCase{"SortLargeOnePage", Scenario::SortLarge, kPage, Outcome::Fails},
        DiskCase{"SortLargeHalf", Scenario::SortLarge, kLarge / 2, Outcome::Fails},
        DiskCase{"SortLargeAlmost", Scenario::SortLarge, kLarge - kPage, Outcome::Fails},
        DiskCase{"SortLargeRoom", Scenario::SortLarge, -1, Outcome::Succeeds},
        DiskCase{"IndexFull", Scenario::Index, 0, Outcome::Fails},
        DiskCase{"IndexRoom", Scenario::Index, -1, Outcome::Succeeds},
        DiskCase{"ConfigurationFull", Scenario::Configuration, 0, Outcome::Fails},
        DiskCase{"ConfigurationOnePage", Scenario::Configuration, kPage, Outcome::Succeeds},
        DiskCase{"LanguageWriteBackFull", Scenario::LanguageWriteBack, 0, Outcome::Fails},
        DiskCase{"LanguageWriteBackOnePage", Scenario::LanguageWriteBack, kPage, Outcome::Fails},
        DiskCase{"LanguageWriteBackRoom", Scenario::LanguageWriteBack, -1, Outcome::Succeeds}),
    [](const ::testing::TestParamInfo<DiskCase> &param) { return std::string(param.param.Name); });

} // namespace
} // namespace lexivoce::test
