#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace lexivoce::shellview {

// The texts the folder views show and say; the file dialog fills them from
// the language file. Defaults: the built-in ones.
struct TShellTexts
{
    QString Top, Home, FileSystem, Trash;
    QString Folder; // said after a folder's name
    QString ColumnName, ColumnSize, ColumnType, ColumnModified;

    static TShellTexts Defaults();
};

// A mounted file system, as the system lists it.
struct TVolume
{
    QString RootPath;
    QByteArray FileSystemType;
    QString Name;
    bool ReadOnly = false;
};

// Whether a volume belongs among the places a user picks folders from: not
// the root (listed on its own), not the system's pseudo and memory file
// systems, not the read-only images packages are mounted from, not the
// system's own mount points.
bool IsVolumeWorthShowing(const TVolume &volume);

QList<TVolume> MountedVolumes();

// One entry of the top of the folders.
struct TPlace
{
    QString Name;
    QString Path; // absolute, without a trailing separator ("/" for the root)
};

// The top of the folders: the home folder, the file system's root, the
// volumes worth showing, and the trash when it exists.
QList<TPlace> TopPlaces(const TShellTexts &texts);

// The user's trash folder ($XDG_DATA_HOME/Trash/files).
QString HomeTrashFiles();

} // namespace lexivoce::shellview
