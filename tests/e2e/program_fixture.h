#pragma once

// The fixture of the tests of the real program on a private X server: started
// on a fresh profile, driven with xdotool and xclip like a user would, heard
// through its speech transcript (LEXIVOCE_SPEECH_LOG) with the real espeak-ng
// engine and a null sound device.
#include "app/single_instance.h"
#include "tests/e2e/x_display.h"
#include "tests/support/temp_dir.h"
#include "tests/support/transcript.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace lexivoce::test {

// Generous: CI machines are slow, and the sanitizer build slower still.
inline constexpr int DeadlineMs = 20000;

inline const QString Interface = QStringLiteral("spkInterface");
inline const QString EntrySpeaker = QStringLiteral("speaker");
inline const QString Loading = QStringLiteral("Loading English-Vietnamese dictionary");
inline const QString Ready = QStringLiteral("English-Vietnamese dictionary is ready");
inline const QString Welcome = QStringLiteral("Veltari Talking dictionary, English-Vietnamese");

// The entry of "able" as one utterance: pitch first, the head word in an
// English voice and its meaning in a Vietnamese one. (The word list's line
// "able" alone, in English, is not the entry.)
inline bool IsEntryOfAble(const QString &utterance)
{
    static const QRegularExpression english(QStringLiteral(R"(<VOICE REQUIRED="NAME=English[^"]*">[^<]*\bable\b)"));
    static const QRegularExpression vietnamese(
        QStringLiteral(R"(<VOICE REQUIRED="NAME=Vietnamese[^"]*">[^<]*có năng lực)").normalized(QString::NormalizationForm_C));
    return utterance.startsWith(QStringLiteral("<pitch absmiddle=\"")) && english.match(utterance).hasMatch()
           && vietnamese.match(utterance).hasMatch();
}

inline bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = DeadlineMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.hasExpired(timeoutMs))
            return false;
        // Serves this process's own window meanwhile.
        QTest::qWait(50);
    }
    return true;
}

inline void Stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
}

class ProgramTest : public TempDirTest
{
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        if (!HasPrivateDisplay() || QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs the private X server of tests/support/with_xserver";
        m_profile = PathOf(QStringLiteral("profile"));
        m_transcript = PathOf(QStringLiteral("speech.log"));
    }

    void TearDown() override
    {
        // A key left down would reach every later test on this server.
        if (m_superDown)
            Tool({QStringLiteral("keyup"), QStringLiteral("Super_L")});
        // Last started first: the program before the notification area it
        // has its icon in.
        for (auto process = m_processes.rbegin(); process != m_processes.rend(); ++process)
            Stop(**process);
        // What a terminated program leaves behind.
        if (m_program)
            QFile::remove(app::TSingleInstance::ServerName(m_profile));
        TempDirTest::TearDown();
    }

    struct ToolRun
    {
        int Exit = -1;
        QString Out;
    };

    // Runs xdotool, or the program named, to its end.
    ToolRun Tool(const QStringList &arguments, const QString &program = QStringLiteral("xdotool"))
    {
        QProcess process;
        process.start(program, arguments);
        if (!WaitUntil([&] { return process.state() == QProcess::NotRunning; })) {
            Stop(process);
            ADD_FAILURE() << program.toStdString() << " " << arguments.join(u' ').toStdString() << " hangs";
            return {};
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()).trimmed()};
    }

    // Starts a process that TearDown ends.
    QProcess &Start(const QString &program, const QStringList &arguments, const QProcessEnvironment &env,
                    QProcess::ProcessChannelMode channels = QProcess::SeparateChannels)
    {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess &process = *m_processes.back();
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(channels);
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForStarted(DeadlineMs)) << program.toStdString();
        return process;
    }

    QProcess &StartProgram()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("LEXIVOCE_AUDIO"), QStringLiteral("null"));
        env.insert(QStringLiteral("LEXIVOCE_SPEECH_LOG"), m_transcript);
        // Its messages go to the test's output, where a failure shows them.
        return Start(QStringLiteral(LEXIVOCE_BINARY), {QStringLiteral("--profile"), m_profile}, env,
                     QProcess::ForwardedChannels);
    }

    // Starts the program and waits until its dictionary is loaded and its
    // window is the active one.
    void StartReadyProgram()
    {
        m_program = &StartProgram();
        ASSERT_TRUE(WaitUntil([&] { return Count(Interface, Ready) > 0 || m_program->state() == QProcess::NotRunning; }))
            << Transcript();
        ASSERT_EQ(m_program->state(), QProcess::Running)
            << "the program ended, exit code " << m_program->exitCode() << "\n" << Transcript();
        ASSERT_TRUE(WaitUntil([&] { return ActivePid() == m_program->processId(); }))
            << "active window of pid " << ActivePid() << ", the program is " << m_program->processId();
    }

    qint64 ActivePid()
    {
        const ToolRun run = Tool({QStringLiteral("getactivewindow"), QStringLiteral("getwindowpid")});
        bool ok = false;
        const qint64 pid = run.Out.toLongLong(&ok);
        return run.Exit == 0 && ok ? pid : -1;
    }

    // Makes a window of this test process the active one, so that the program is not.
    void ActivateOwnWindow()
    {
        if (!m_window) {
            m_window = std::make_unique<QWidget>();
            m_window->setWindowTitle(QStringLiteral("Another program"));
            m_window->resize(320, 200);
            m_window->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        }
        const ToolRun run = Tool({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                                  QString::number(m_window->winId())});
        ASSERT_EQ(run.Exit, 0);
        ASSERT_EQ(ActivePid(), QCoreApplication::applicationPid());
    }

    // Puts text on the clipboard. xclip serves it until another client takes
    // the clipboard or the test ends; returns once the clipboard reads back.
    void SetClipboard(const QString &text)
    {
        QProcess &xclip = Start(QStringLiteral("xclip"),
                                {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard")},
                                QProcessEnvironment::systemEnvironment());
        xclip.write(text.toUtf8());
        xclip.closeWriteChannel();
        ASSERT_TRUE(WaitUntil([&] {
            return Tool({QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")},
                        QStringLiteral("xclip")).Out == text;
        }));
    }

    void SetSuper(bool down)
    {
        ASSERT_EQ(Tool({down ? QStringLiteral("keydown") : QStringLiteral("keyup"), QStringLiteral("Super_L")}).Exit, 0);
        m_superDown = down;
    }

    QList<SpeechCall> Said() const { return ReadTranscript(m_transcript); }

    // The speak calls of speaker whose utterance contains text.
    QStringList Spoken(const QString &speaker, const QString &text = QString()) const
    {
        QStringList utterances;
        for (const SpeechCall &call : Said()) {
            if (call.Speaker == speaker && call.Operation == QStringLiteral("speak") && call.Text.contains(text))
                utterances << call.Text;
        }
        return utterances;
    }

    qsizetype Count(const QString &speaker, const QString &text) const { return Spoken(speaker, text).size(); }

    bool WaitForEntryOfAble() const
    {
        return WaitUntil([&] {
            const QStringList entries = Spoken(EntrySpeaker);
            return std::any_of(entries.begin(), entries.end(), IsEntryOfAble);
        });
    }

    std::string Transcript() const
    {
        QFile file(m_transcript);
        return "transcript:\n" + (file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "(none)");
    }

    QString m_profile;
    QString m_transcript;
    QProcess *m_program = nullptr;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    std::unique_ptr<QWidget> m_window;
    bool m_superDown = false;
};

} // namespace lexivoce::test
