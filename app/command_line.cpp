#include "app/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace lexivoce::app {

namespace {

#ifndef LEXIVOCE_VERSION
#error "the build defines LEXIVOCE_VERSION, the project's version"
#endif

const char kHelp[] =
    "Usage: lexivoce [OPTION]...\n"
    "Lexivoce, the talking English-Vietnamese dictionary. Without options it\n"
    "starts, or brings the one already running with the same profile to the\n"
    "front.\n"
    "\n"
    "Options:\n"
    "  --profile DIR          keep settings and dictionaries in DIR (default:\n"
    "                         $LEXIVOCE_PROFILE, a portable current folder, else\n"
    "                         ~/.local/share/lexivoce)\n"
    "  --activate             bring the running program to the front, or start it\n"
    "                         (bind it to a key where global hot keys do not work)\n"
    "  --check                say and print what the program needs and what is\n"
    "                         missing: sound server, voices, X server, notification\n"
    "                         area, printer; exit status 1 when speech cannot work\n"
    "  --demo-controls        a window with every kind of control, spoken\n"
    "  --demo-message TEXT    TEXT in the spoken error box\n"
    "  --demo-file-dialog open|save|folder [DIR]\n"
    "                         the spoken file dialog; prints the chosen path and\n"
    "                         exits 0 on OK, 1 on Cancel\n"
    "  -h, --help             print this help and exit\n"
    "  -v, --version          print the version and exit\n"
    "\n"
    "Environment: LEXIVOCE_PROFILE (the profile folder), LEXIVOCE_AUDIO=pulse|null,\n"
    "LEXIVOCE_SPEECH_LOG=FILE (a transcript of everything said).\n";

} // namespace

TCommandLine ParseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption check(QStringLiteral("check"));
    const QCommandLineOption activate(QStringLiteral("activate"));
    const QCommandLineOption profile(QStringLiteral("profile"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption demoControls(QStringLiteral("demo-controls"));
    const QCommandLineOption demoMessage(QStringLiteral("demo-message"), QString(), QStringLiteral("TEXT"));
    const QCommandLineOption demoFileDialog(QStringLiteral("demo-file-dialog"), QString(), QStringLiteral("MODE"));
    parser.addOptions({help, version, check, activate, profile, demoControls, demoMessage, demoFileDialog});

    TCommandLine result;
    if (!parser.parse(arguments)) {
        result.Error = parser.errorText();
        return result;
    }
    result.Help = parser.isSet(help);
    result.Version = parser.isSet(version);
    result.Check = parser.isSet(check);
    result.Activate = parser.isSet(activate);
    result.DemoControls = parser.isSet(demoControls);
    result.Profile = parser.value(profile);
    result.DemoMessage = parser.isSet(demoMessage);
    result.DemoMessageText = parser.value(demoMessage);
    result.DemoFileDialog = parser.isSet(demoFileDialog);
    result.DemoFileDialogMode = parser.value(demoFileDialog);
    const QStringList rest = parser.positionalArguments();
    // Only the file dialog's demo takes a word of its own: its folder.
    if (result.DemoFileDialog && rest.size() <= 1) {
        result.DemoFileDialogFolder = rest.value(0);
    } else if (!rest.isEmpty()) {
        result.Error = QStringLiteral("Unexpected argument '%1'.").arg(rest.first());
    }
    return result;
}

QString CommandLineHelp()
{
    return QString::fromLatin1(kHelp);
}

QString CommandLineVersion()
{
    return QStringLiteral("lexivoce %1\n").arg(QStringLiteral(LEXIVOCE_VERSION));
}

} // namespace lexivoce::app
