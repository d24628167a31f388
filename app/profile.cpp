#include "app/profile.h"

#include "lang/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace lexivoce::app {
namespace {

const QString kProfileOption = QStringLiteral("--profile");
const QString kProfileOptionPrefix = QStringLiteral("--profile=");

QString absoluteIn(const QString &directory, const QString &path)
{
    return QDir::cleanPath(QDir(directory).absoluteFilePath(path));
}

// The folder given to --profile; null when the option is absent.
QString profileOption(const QStringList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString value;
        if (argument == kProfileOption) {
            if (i + 1 < arguments.size())
                value = arguments.at(i + 1);
        } else if (argument.startsWith(kProfileOptionPrefix)) {
            value = argument.mid(kProfileOptionPrefix.size());
        } else {
            continue;
        }
        if (value.isEmpty() || value.startsWith(QStringLiteral("--")))
            throw Error(QStringLiteral("The option --profile needs the name of a folder."));
        return value;
    }
    return QString();
}

bool isPortable(const QString &directory)
{
    const QDir dir(directory);
    return QFileInfo::exists(dir.filePath(QStringLiteral("Lexivoce.ini")))
        || QFileInfo::exists(dir.filePath(QStringLiteral("Lexivoce.config")));
}

bool sameFolder(const QString &a, const QString &b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

TProfileChoice chosen(const QString &directory, bool fill, const QString &dataDirectory,
                      const QString &reason)
{
    // Filling a folder from itself would be pointless.
    const bool fillFromData = fill && !dataDirectory.isEmpty() && !sameFolder(directory, dataDirectory);
    return TProfileChoice{directory, fillFromData, reason};
}

void makeFolder(const QString &directory)
{
    if (!QDir().mkpath(directory) || !QFileInfo(directory).isDir())
        throw Error(QStringLiteral("Cannot create the folder \"%1\".")
                        .arg(QDir::toNativeSeparators(directory)));
}

} // namespace

TProfileChoice ResolveProfile(const QStringList &arguments, const QProcessEnvironment &env,
                              const QString &currentDirectory, const QString &dataDirectory)
{
    const QString option = profileOption(arguments);
    if (!option.isNull())
        return chosen(absoluteIn(currentDirectory, option), true, dataDirectory,
                      QStringLiteral("the option --profile"));

    const QString fromEnv = env.value(QStringLiteral("LEXIVOCE_PROFILE"));
    if (!fromEnv.isEmpty())
        return chosen(absoluteIn(currentDirectory, fromEnv), true, dataDirectory,
                      QStringLiteral("LEXIVOCE_PROFILE"));

    if (isPortable(currentDirectory))
        return chosen(QDir::cleanPath(QDir(currentDirectory).absolutePath()), false, dataDirectory,
                      QStringLiteral("a portable set-up in the current folder"));

    // XDG says a relative XDG_DATA_HOME is invalid and must be ignored.
    const QString xdg = env.value(QStringLiteral("XDG_DATA_HOME"));
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return chosen(absoluteIn(xdg, QStringLiteral("lexivoce")), true, dataDirectory,
                      QStringLiteral("XDG_DATA_HOME"));

    const QString home = env.value(QStringLiteral("HOME"));
    if (!home.isEmpty())
        return chosen(absoluteIn(home, QStringLiteral(".local/share/lexivoce")), true,
                      dataDirectory, QStringLiteral("the home folder"));

    // No home at all (a stripped environment): the old behaviour.
    return chosen(QDir::cleanPath(QDir(currentDirectory).absolutePath()), false, dataDirectory,
                  QStringLiteral("the current folder, for want of a home folder"));
}

void PrepareProfile(const QString &directory, const QString &dataDirectory)
{
    makeFolder(directory);
    if (dataDirectory.isEmpty())
        return;

    const QDir source(dataDirectory);
    const QDir target(directory);
    QDirIterator it(dataDirectory, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        const QString relative = source.relativeFilePath(from);
        const QString to = target.filePath(relative);
        const QFileInfo existing(to);
        // A dangling link is still the user's: leave it.
        if (existing.exists() || existing.isSymLink())
            continue;
        makeFolder(existing.absolutePath());
        QFile file(from);
        // Another start filling the same new profile may just have copied it.
        if (!file.copy(to) && !QFileInfo::exists(to))
            throw Error(QStringLiteral("Cannot copy \"%1\" to \"%2\". %3")
                            .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to),
                                 file.errorString()));
        // Installed data is often read-only; the user's copy must be writable.
        QFile copy(to);
        copy.setPermissions(copy.permissions() | QFile::ReadOwner | QFile::WriteOwner);
    }
}

QString InstalledDataDirectory()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    QStringList candidates;
    if (!exeDir.isEmpty())
        candidates << exeDir + QStringLiteral("/../share/lexivoce")
                   << exeDir + QStringLiteral("/data");
#ifdef LEXIVOCE_SOURCE_DATA_DIR
    candidates << QStringLiteral(LEXIVOCE_SOURCE_DATA_DIR);
#endif
    for (const QString &candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate).isDir())
            return QDir::cleanPath(QDir(candidate).absolutePath());
    }
    return QString();
}

QStringList AbsoluteFileArguments(const QStringList &arguments, const QString &currentDirectory)
{
    QStringList result;
    result.reserve(arguments.size());
    bool profileValue = false;
    for (const QString &argument : arguments) {
        const bool keep = profileValue || argument.isEmpty()
            || argument.startsWith(QStringLiteral("--")) || QDir::isAbsolutePath(argument);
        result << (keep ? argument : absoluteIn(currentDirectory, argument));
        profileValue = argument == kProfileOption;
    }
    return result;
}

void EnterProfile(const QString &directory)
{
    if (!QDir::setCurrent(directory))
        throw Error(QStringLiteral("Cannot open the folder \"%1\".")
                        .arg(QDir::toNativeSeparators(directory)));
}

} // namespace lexivoce::app
