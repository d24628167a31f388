// Lexivoce: the talking dictionary.
//   lexivoce [--profile DIR]   start, or bring the running one to the front
//   lexivoce --activate        the same (a key on desktops without global hot keys)
//   lexivoce --demo-controls   every kind of control, spoken
//   lexivoce --demo-message TEXT   TEXT in the spoken error box
//   lexivoce --demo-file-dialog open|save|folder [DIR]   the spoken file
//                              dialog; prints the chosen path, 0 on OK
//   lexivoce --check           what the program needs, said and printed
//   lexivoce --help, --version
#include "app/command_line.h"
#include "app/demo_controls.h"
#include "app/first_use_check.h"
#include "app/main_dict.h"
#include "app/profile.h"
#include "app/shipped_registry.h"
#include "app/single_instance.h"
#include "app/startup_voice.h"
#include "app/termination_signals.h"
#include "dialogs/error_display.h"
#include "dialogs/file_dialog.h"
#include "dialogs/message_dialog.h"
#include "dict/registry.h"
#include "lang/error.h"
#include "lang/messages.h"
#include "speech/speakers.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <cstdio>

namespace {

using namespace lexivoce;

int runMainWindow(const QStringList &arguments, app::TStartupVoice &voice)
{
    const app::TProfileChoice profile = app::ResolveProfile(
        arguments, QProcessEnvironment::systemEnvironment(), QDir::currentPath(), app::InstalledDataDirectory());
    voice.UseProfile(profile.Directory);

    const bool hadRegistry =
        QFileInfo::exists(QDir(profile.Directory).filePath(dict::RegistryFileName()));
    if (profile.FillFromData)
        app::PrepareProfile(profile.Directory, app::InstalledDataDirectory());
    else
        app::PrepareProfile(profile.Directory, QString());

    app::TSingleInstance instance(profile.Directory);
    if (!instance.Acquire()) {
        if (app::TSingleInstance::SendActivate(profile.Directory))
            return 0;
        dialogs::ShowError(
            app::FormatMessage(voice.Text(lang::MSG30), QDir::toNativeSeparators(profile.Directory)));
        return 1;
    }
    // --activate with nothing running starts the program: a key bound to it
    // always leads to the dictionary.

    app::EnterProfile(profile.Directory);

    app::TfrmMainDict window;
    voice.Retire();
    // The shipped registry names its voices by position; positions differ
    // between espeak-ng versions, so they are fixed once, by name.
    if (profile.FillFromData && !hadRegistry)
        app::ResolveShippedVoices(dict::RegistryFileName(), window.speaker->VoiceNames);
    QObject::connect(&instance, &app::TSingleInstance::ActivateRequested, &window,
                     [&window] { window.BringToFront(); });
    // Ended from outside: as when the window is closed.
    app::TTerminationSignals termination;
    QObject::connect(&termination, &app::TTerminationSignals::Terminated, &window, [&window] {
        window.close();
        QApplication::quit();
    });
    window.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    // Answered on the terminal before any window system is asked for, so
    // that they work without a display.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const app::TCommandLine options = app::ParseCommandLine(raw);
    if (!options.Error.isEmpty()) {
        std::fprintf(stderr, "lexivoce: %s\nTry 'lexivoce --help'.\n", qPrintable(options.Error));
        return 1;
    }
    if (options.Help || options.Version) {
        std::fputs(qPrintable(options.Help ? app::CommandLineHelp() : app::CommandLineVersion()), stdout);
        return 0;
    }
    // The check answers without an X server too, and says that it is missing.
    if (options.Check && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && app::XServerDisplay().isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");

    dialogs::TApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexivoce"));
#ifdef LEXIVOCE_APP_ID
    QGuiApplication::setDesktopFileName(QStringLiteral(LEXIVOCE_APP_ID));
#endif
    // The demos take their words as given: a message is no file name.
    if (options.DemoMessage)
        return dialogs::DemoMessageDialog(options.DemoMessageText) == 1 ? 0 : 1;
    if (options.DemoFileDialog)
        return dialogs::DemoFileDialog(options.DemoFileDialogMode, options.DemoFileDialogFolder);
    // Relative file arguments mean the folder the user started from, not
    // the profile folder the program is about to enter.
    const QStringList arguments = app::AbsoluteFileArguments(QApplication::arguments(), QDir::currentPath());
    if (options.Check)
        return app::RunFirstUseCheck(arguments);
    if (options.DemoControls) {
        app::TfrmDemoControls demo;
        demo.show();
        return QApplication::exec();
    }
    // Errors before the window speaks are heard too.
    app::TStartupVoice voice;
    try {
        return runMainWindow(arguments, voice);
    } catch (const Error &error) {
        voice.Install();
        dialogs::ShowError(error.message());
        return 1;
    }
}
