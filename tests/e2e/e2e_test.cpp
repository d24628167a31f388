// The real program on a private X server: starting, looking up a typed word,
// a second start and the clipboard look-up.
#include "tests/e2e/program_fixture.h"

namespace lexivoce::test {
namespace {

TEST_F(ProgramTest, StartFillsProfileLoadsDictionaryAndGreets)
{
    ASSERT_NO_FATAL_FAILURE(StartReadyProgram());

    const QStringList interface = Spoken(Interface);
    const auto first = [&](const QString &text) {
        return std::find_if(interface.begin(), interface.end(), [&](const QString &said) { return said.contains(text); })
               - interface.begin();
    };
    EXPECT_LT(first(Loading), interface.size()) << Transcript();
    EXPECT_LT(first(Loading), first(Ready)) << "ready before loading\n" << Transcript();
    EXPECT_TRUE(WaitUntil([&] { return Count(Interface, Welcome) > 0; })) << Transcript();
    EXPECT_EQ(Tool({QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")}).Out.toStdString(),
              "Talking Dictionary");

    for (const char *name : {"dict/en-vi.dict", "dict/en-vi.index", "LANG/Lexivoce.eng", "LANG/Lexivoce.vie"}) {
        QFile shipped(QStringLiteral(LEXIVOCE_DATA_DIR "/") + QLatin1String(name));
        QFile copy(m_profile + u'/' + QLatin1String(name));
        ASSERT_TRUE(shipped.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly)) << name;
        EXPECT_TRUE(shipped.readAll() == copy.readAll()) << name;
    }
    EXPECT_TRUE(QFile::exists(m_profile + QStringLiteral("/Lexivoce.ini")));
}

TEST_F(ProgramTest, TypedWordIsSpokenAsOneUtteranceInBothVoices)
{
    ASSERT_NO_FATAL_FAILURE(StartReadyProgram());

    // The look-up edit has the focus from the start.
    ASSERT_EQ(Tool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("50"), QStringLiteral("able")}).Exit, 0);
    ASSERT_EQ(Tool({QStringLiteral("key"), QStringLiteral("Return")}).Exit, 0);

    EXPECT_TRUE(WaitForEntryOfAble()) << Transcript();
}

TEST_F(ProgramTest, SecondStartOnTheProfileActivatesTheFirst)
{
    ASSERT_NO_FATAL_FAILURE(StartReadyProgram());
    ASSERT_TRUE(WaitUntil([&] { return Count(Interface, Welcome) > 0; })) << Transcript();
    ASSERT_NO_FATAL_FAILURE(ActivateOwnWindow());
    const qsizetype welcomes = Count(Interface, Welcome);

    QProcess &second = StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return second.state() == QProcess::NotRunning; })) << "the second start stays";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_TRUE(WaitUntil([&] { return ActivePid() == m_program->processId(); }))
        << "active window of pid " << ActivePid();
    EXPECT_TRUE(WaitUntil([&] { return Count(Interface, Welcome) > welcomes; })) << Transcript();
    EXPECT_EQ(Count(Interface, Loading), 1) << "the second start loaded the dictionary too\n" << Transcript();
    EXPECT_EQ(m_program->state(), QProcess::Running);
}

TEST_F(ProgramTest, ClipboardIsLookedUpOnlyWhileLeftSuperIsHeld)
{
    ASSERT_NO_FATAL_FAILURE(StartReadyProgram());
    ASSERT_NO_FATAL_FAILURE(ActivateOwnWindow());

    const qsizetype before = Spoken(EntrySpeaker).size();
    ASSERT_NO_FATAL_FAILURE(SetClipboard(QStringLiteral("about")));
    QTest::qWait(1500);
    EXPECT_EQ(Spoken(EntrySpeaker).size(), before) << "looked up without Super\n" << Transcript();
    EXPECT_EQ(ActivePid(), QCoreApplication::applicationPid()) << "came to the front without Super";

    ASSERT_NO_FATAL_FAILURE(SetSuper(true));
    ASSERT_NO_FATAL_FAILURE(SetClipboard(QStringLiteral("able")));
    EXPECT_TRUE(WaitForEntryOfAble()) << Transcript();
    ASSERT_NO_FATAL_FAILURE(SetSuper(false));
    EXPECT_TRUE(WaitUntil([&] { return ActivePid() == m_program->processId(); }))
        << "active window of pid " << ActivePid() << ", the program is " << m_program->processId();
}

} // namespace
} // namespace lexivoce::test
