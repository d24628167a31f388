// Lexivoce: the talking dictionary.
//   lexivoce [--profile DIR]   start, or bring the running one to the front
//   lexivoce --activate        the same (a key on desktops without global hot keys)
//   lexivoce --demo-controls   every kind of control, spoken
//   lexivoce --demo-message TEXT   TEXT in the spoken error box
//   lexivoce --demo-file-dialog open|save|folder [DIR]   the spoken file
//                              dialog; prints the chosen path, 0 on OK
#include "app/demo_controls.h"
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
    dialogs::TApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lexivoce"));
    // The demos take their words as given: a message is no file name.
    const QStringList given = QApplication::arguments();
    const qsizetype message = given.indexOf(QStringLiteral("--demo-message"));
    if (message > 0)
        return dialogs::DemoMessageDialog(given.value(message + 1)) == 1 ? 0 : 1;
    const qsizetype fileDialog = given.indexOf(QStringLiteral("--demo-file-dialog"));
    if (fileDialog > 0)
        return dialogs::DemoFileDialog(given.value(fileDialog + 1), given.value(fileDialog + 2));
    // Relative file arguments mean the folder the user started from, not
    // the profile folder the program is about to enter.
    const QStringList arguments = app::AbsoluteFileArguments(given, QDir::currentPath());
    if (arguments.contains(QStringLiteral("--demo-controls"))) {
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
