#pragma once

#include <QString>
#include <QStringList>

namespace lexivoce::app {

// The program's options, as Qt's command-line parser reads them.
struct TCommandLine
{
    bool Help = false;
    bool Version = false;
    bool Check = false;
    bool Activate = false;
    bool DemoControls = false;
    QString Profile;
    bool DemoMessage = false;
    QString DemoMessageText;
    bool DemoFileDialog = false;
    QString DemoFileDialogMode;
    QString DemoFileDialogFolder;
    // Why the arguments cannot be taken; empty when they can.
    QString Error;
};

// arguments as main gets them, the program's name first. Needs no
// application object, so that --help and --version answer without a
// display.
TCommandLine ParseCommandLine(const QStringList &arguments);

// What --help prints: every option.
QString CommandLineHelp();
// What --version prints.
QString CommandLineVersion();

} // namespace lexivoce::app
