// The real program's first and last steps on the private X server: errors
// before its window exists are heard, a first instance that does not answer
// is said, and ending it from outside is a normal end.
#include "tests/e2e/program_fixture.h"

#include "lang/ini_file.h"

#include <QLocalServer>

#include <csignal>

namespace lexivoce::test {
namespace {

class StartupProgramTest : public ProgramTest
{
protected:
    // What the program says before its window: its first speak calls.
    bool WaitForSpoken(const QString &text) const
    {
        return WaitUntil([&] { return Count(Interface, text) > 0; });
    }

    // Answers the error box as a user would, and waits for the program's end.
    void AnswerAndWaitForTheEnd(QProcess &program)
    {
        ASSERT_TRUE(WaitUntil([&] {
            Tool({QStringLiteral("key"), QStringLiteral("Return")});
            return program.state() == QProcess::NotRunning;
        })) << "the program stays";
    }
};

TEST_F(StartupProgramTest, AnErrorBeforeTheWindowIsHeard)
{
    // The profile cannot be filled: its language folder is a file.
    ASSERT_TRUE(QDir().mkpath(m_profile));
    WriteFile(QStringLiteral("profile/LANG"), "a file in the way");
    QProcess &program = StartProgram();
    EXPECT_TRUE(WaitForSpoken(QStringLiteral("Cannot create the folder"))) << Transcript();
    ASSERT_NO_FATAL_FAILURE(AnswerAndWaitForTheEnd(program));
    EXPECT_EQ(program.exitCode(), 1);
}

TEST_F(StartupProgramTest, AFirstInstanceThatDoesNotAnswerIsSaid)
{
    ASSERT_TRUE(QDir().mkpath(m_profile));
    // Holds the profile's socket, takes every knock, never answers.
    QLocalServer hung;
    ASSERT_TRUE(hung.listen(app::TSingleInstance::ServerName(m_profile)));
    QProcess &program = StartProgram();
    EXPECT_TRUE(WaitForSpoken(QStringLiteral("does not answer"))) << Transcript();
    ASSERT_NO_FATAL_FAILURE(AnswerAndWaitForTheEnd(program));
    EXPECT_EQ(program.exitCode(), 1);
}

TEST_F(StartupProgramTest, EndingTheProgramFromOutsideIsANormalEnd)
{
    ASSERT_NO_FATAL_FAILURE(StartReadyProgram());
    const QString socket = app::TSingleInstance::ServerName(m_profile);
    ASSERT_TRUE(QFileInfo::exists(socket));
    QFile::remove(m_profile + QStringLiteral("/Lexivoce.config"));

    ::kill(pid_t(m_program->processId()), SIGTERM);
    ASSERT_TRUE(WaitUntil([&] { return m_program->state() == QProcess::NotRunning; }));
    EXPECT_EQ(m_program->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_program->exitCode(), 0);
    // As when the window is closed: the dictionary remembered, the socket gone.
    EXPECT_TRUE(lang::TIniFile(m_profile + QStringLiteral("/Lexivoce.config"))
                    .ValueExists(QStringLiteral("Interface"), QStringLiteral("ActiveDict")));
    EXPECT_FALSE(QFileInfo::exists(socket));
}

} // namespace
} // namespace lexivoce::test
