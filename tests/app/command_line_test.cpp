// The program's command line: options parsed by Qt's parser, --help and
// --version answered without a display, and the first-use check.
#include "app/command_line.h"
#include "app/first_use_check.h"

#include "tests/app/main_dict_fixture.h"

#include "lang/messages.h"
#include "tests/support/run_program.h"

namespace lexivoce::app {
namespace {

using namespace test_support;

TEST(CommandLine, OptionsAreReadAsQtReadsThemAndAnythingElseIsAnError)
{
    const auto parse = [](QStringList arguments) {
        arguments.prepend(QStringLiteral("lexivoce"));
        return ParseCommandLine(arguments);
    };
    EXPECT_TRUE(parse({}).Error.isEmpty());
    EXPECT_TRUE(parse({QStringLiteral("-h")}).Help);
    EXPECT_TRUE(parse({QStringLiteral("--version")}).Version);
    EXPECT_TRUE(parse({QStringLiteral("--check")}).Check);
    EXPECT_EQ(parse({QStringLiteral("--profile"), QStringLiteral("p")}).Profile, QStringLiteral("p"));
    EXPECT_EQ(parse({QStringLiteral("--profile=q"), QStringLiteral("--activate")}).Profile, QStringLiteral("q"));
    const TCommandLine dialog = parse({QStringLiteral("--demo-file-dialog"), QStringLiteral("save"), QStringLiteral("/tmp")});
    EXPECT_EQ(dialog.DemoFileDialogMode, QStringLiteral("save"));
    EXPECT_EQ(dialog.DemoFileDialogFolder, QStringLiteral("/tmp"));
    EXPECT_EQ(parse({QStringLiteral("--demo-message"), QStringLiteral("a b")}).DemoMessageText, QStringLiteral("a b"));

    EXPECT_FALSE(parse({QStringLiteral("--bogus")}).Error.isEmpty());
    EXPECT_FALSE(parse({QStringLiteral("word")}).Error.isEmpty());
    EXPECT_FALSE(parse({QStringLiteral("--profile")}).Error.isEmpty()) << "the folder is missing";

    for (const char *option : {"--profile", "--activate", "--check", "--help", "--version", "--demo-controls",
                               "--demo-message", "--demo-file-dialog"})
        EXPECT_TRUE(CommandLineHelp().contains(QString::fromLatin1(option))) << option;
}

// The program itself, with no display and no platform chosen: it must
// answer on the terminal and start nothing.
TEST(CommandLine, HelpVersionAndErrorsAnswerOnTheTerminalWithoutADisplay)
{
    const auto run = [](const QStringList &arguments, QString *out, QString *err) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        const test::TProgramRun ran = test::RunProgram(QStringLiteral(LEXIVOCE_PROGRAM), arguments, env, 10000);
        *out = ran.Out;
        *err = ran.Err;
        return ran.Exit;
    };
    QString out, err;
    EXPECT_EQ(run({QStringLiteral("--help")}, &out, &err), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Usage: lexivoce"))) << out.toStdString();
    EXPECT_EQ(run({QStringLiteral("--version")}, &out, &err), 0);
    EXPECT_EQ(out, QStringLiteral("lexivoce %1\n").arg(QStringLiteral(LEXIVOCE_VERSION)));
    EXPECT_EQ(run({QStringLiteral("--frobnicate")}, &out, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("frobnicate"))) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
}

TCheckProbes Probes(const QString &sound, const QStringList &voices)
{
    TCheckProbes probes;
    probes.SoundServer = [sound] { return sound; };
    probes.VoiceNames = [voices] { return voices; };
    probes.XServer = [] { return QString(); };
    probes.NotificationArea = [] { return false; };
    probes.DefaultPrinter = [] { return QStringLiteral("office"); };
    return probes;
}

TEST(FirstUseCheck, EachNeedIsReportedAndSpeechNeedsSoundAndBothVoices)
{
    const auto text = [](const lang::TMessage &message) { return message.Text(); };
    const QStringList voices{QStringLiteral("English (America)"), QStringLiteral("English (Great Britain)"),
                             QStringLiteral("Vietnamese (Central)")};
    QList<TCheckLine> report = FirstUseReport(Probes(QStringLiteral("PulseAudio"), voices), text);
    QStringList lines;
    for (const TCheckLine &line : report)
        lines << line.Text;
    EXPECT_EQ(lines, (QStringList{
                         QStringLiteral("Sound server: PulseAudio"),
                         QStringLiteral("English voice: English (Great Britain)"),
                         QStringLiteral("Vietnamese voice: Vietnamese (Central)"),
                         lang::MSGCHECK008.Text(),
                         lang::MSGCHECK010.Text(),
                         QStringLiteral("Default printer: office"),
                         lang::MSGCHECK014.Text(),
                     }));
    EXPECT_TRUE(SpeechCanWork(report));

    report = FirstUseReport(Probes(QStringLiteral("PulseAudio"), {QStringLiteral("English (Scotland)")}), text);
    EXPECT_EQ(report[2].Text, lang::MSGCHECK006.Text());
    EXPECT_FALSE(SpeechCanWork(report));
    EXPECT_EQ(report.last().Text, lang::MSGCHECK015.Text());
}

TEST_F(MainDictTest, TheCheckIsSaidInTheProfilesLanguageWhenSpeechCanBeHeard)
{
    WriteConfig(QStringLiteral("Sample"), QStringLiteral("eng"));
    const QStringList voices{QStringLiteral("English (Great Britain)"), QStringLiteral("Vietnamese (Northern)")};
    TCheckProbes probes = Probes(QStringLiteral("PulseAudio"), voices);
    const QStringList arguments{QStringLiteral("lexivoce"), QStringLiteral("--check"), QStringLiteral("--profile"),
                                m_dir.path()};
    test::THeardLog log;
    EXPECT_EQ(RunFirstUseCheck(arguments, probes), 0);
    test::THeardLog::Settle();
    const QString said = log.Entries.isEmpty() ? QString() : log.Entries.first().Plain();
    EXPECT_TRUE(said.startsWith(QStringLiteral("Sound server: PulseAudio"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("Default printer: office")));

    // Without a sound server nobody would hear it: printed only.
    log.Entries.clear();
    probes.SoundServer = [] { return QString(); };
    EXPECT_EQ(RunFirstUseCheck(arguments, probes), 1);
    test::THeardLog::Settle();
    EXPECT_TRUE(log.Entries.isEmpty());
}

} // namespace
} // namespace lexivoce::app
