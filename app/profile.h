#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace lexivoce::app {

// The folder the program runs in (its "profile"): it names all its files
// relative to the current directory, so the profile becomes that directory.
struct TProfileChoice
{
    QString Directory; // absolute, cleaned
    bool FillFromData = false; // true when the shipped defaults should fill it
    QString Reason; // why this folder was chosen, for a log or --help
};

// Chooses the profile folder without touching anything: "--profile DIR" or
// "--profile=DIR" (relative to currentDirectory), else $LEXIVOCE_PROFILE, else
// currentDirectory when it already holds Lexivoce.ini or Lexivoce.config (a
// portable set-up, left as the user made it: not filled), else
// $XDG_DATA_HOME/lexivoce, else $HOME/.local/share/lexivoce. arguments are the
// command-line arguments (with or without the program name). A --profile
// without a folder throws lexivoce::Error.
TProfileChoice ResolveProfile(const QStringList &arguments, const QProcessEnvironment &env,
                              const QString &currentDirectory, const QString &dataDirectory);

// Creates directory (with its parents) and copies into it every file of
// dataDirectory's tree that it lacks; a file already there is never replaced.
// An empty dataDirectory only creates the folder. Throws lexivoce::Error when a
// folder cannot be created or a file cannot be copied.
void PrepareProfile(const QString &directory, const QString &dataDirectory);

// The shipped data folder: <exe dir>/../share/lexivoce, <exe dir>/data or, in a
// build tree, the source tree's data folder; the first that exists, else empty.
// Needs a QCoreApplication.
QString InstalledDataDirectory();

// arguments with every relative file argument made absolute against
// currentDirectory; options ("--...") and the folder given to --profile are
// kept as they are. Must run before the program enters its profile.
QStringList AbsoluteFileArguments(const QStringList &arguments, const QString &currentDirectory);

// Makes directory the current directory; throws lexivoce::Error on failure.
void EnterProfile(const QString &directory);

} // namespace lexivoce::app
