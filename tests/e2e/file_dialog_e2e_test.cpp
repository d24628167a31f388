// The file dialog on its own (lexivoce --demo-file-dialog), used as a blind
// user would: keys only, judged by what it says and what it answers.
#include "tests/e2e/program_fixture.h"

namespace lexivoce::test {
namespace {

class FileDialogDemoTest : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(QDir().mkpath(PathOf(QStringLiteral("pick/sub"))));
        WriteFile(QStringLiteral("pick/a.dict"), "@a\n");
        WriteFile(QStringLiteral("pick/b.dict"), "@b\n");
    }

    // Starts the dialog in mode and waits until it has the keyboard and has
    // said its focused control.
    QProcess &StartDialog(const QString &mode, const QString &firstWords)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("LEXIVOCE_AUDIO"), QStringLiteral("null"));
        env.insert(QStringLiteral("LEXIVOCE_SPEECH_LOG"), m_transcript);
        QProcess &dialog = Start(QStringLiteral(LEXIVOCE_BINARY),
                                 {QStringLiteral("--demo-file-dialog"), mode, PathOf(QStringLiteral("pick"))}, env);
        EXPECT_TRUE(WaitUntil([&] { return ActivePid() == dialog.processId(); }));
        EXPECT_TRUE(WaitUntil([&] { return Count(Interface, firstWords) > 0; })) << Transcript();
        return dialog;
    }

    void Key(const QString &key, const QString &thenSaid = QString())
    {
        const qsizetype before = thenSaid.isEmpty() ? 0 : Count(Interface, thenSaid);
        ASSERT_EQ(Tool({QStringLiteral("key"), key}).Exit, 0);
        if (!thenSaid.isEmpty()) {
            ASSERT_TRUE(WaitUntil([&] { return Count(Interface, thenSaid) > before; }))
                << key.toStdString() << " did not say " << thenSaid.toStdString() << "\n" << Transcript();
        }
    }

    static bool Ends(QProcess &process)
    {
        return WaitUntil([&] { return process.state() == QProcess::NotRunning; });
    }
};

TEST_F(FileDialogDemoTest, AFileIsChosenByTabArrowsAndEnter)
{
    QProcess &dialog = StartDialog(QStringLiteral("open"), QStringLiteral("Tên tập tin N"));
    Key(QStringLiteral("Tab"), QStringLiteral("Kiểu tập tin T Từ điển (*.dict)"));
    Key(QStringLiteral("Tab"), QStringLiteral("Mở"));
    Key(QStringLiteral("Tab"), QStringLiteral("Hủy bỏ"));
    Key(QStringLiteral("Tab"), QStringLiteral("Tìm trong I pick"));
    Key(QStringLiteral("Tab"), QStringLiteral("sub thư mục"));
    // Enter opens the folder just heard, Backspace comes back to it: each
    // move is said.
    Key(QStringLiteral("Return"), QStringLiteral("sub. Không có tập tin trong thư mục."));
    Key(QStringLiteral("BackSpace"), QStringLiteral("pick"));
    Key(QStringLiteral("Down"), QStringLiteral("a.dict"));
    Key(QStringLiteral("Return"));
    ASSERT_TRUE(Ends(dialog));
    EXPECT_EQ(dialog.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(dialog.readAllStandardOutput()).trimmed(), PathOf(QStringLiteral("pick/a.dict")));
}

TEST_F(FileDialogDemoTest, AFolderIsChosenWithOKAndEscapeCancels)
{
    QProcess &folder = StartDialog(QStringLiteral("folder"), QStringLiteral("Mở"));
    Key(QStringLiteral("Return"));
    ASSERT_TRUE(Ends(folder));
    EXPECT_EQ(folder.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(folder.readAllStandardOutput()).trimmed(), PathOf(QStringLiteral("pick/")));

    QProcess &cancelled = StartDialog(QStringLiteral("save"), QStringLiteral("Tên tập tin N"));
    Key(QStringLiteral("Escape"));
    ASSERT_TRUE(Ends(cancelled));
    EXPECT_EQ(cancelled.exitCode(), 1);
    EXPECT_TRUE(cancelled.readAllStandardOutput().trimmed().isEmpty());
}

} // namespace
} // namespace lexivoce::test
