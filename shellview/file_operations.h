#pragma once

#include <QString>

namespace lexivoce::shellview {

// What went wrong with one file or folder, for the dialog to say and show.
struct TFileError
{
    enum TKind { Delete, Trash, CreateFolder, Rename, Copy, Move, OpenFolder };
    TKind Kind = Delete;
    QString Name;   // as the user knows it: the name in its folder
    QString Reason; // what the system said; empty when it said nothing
};

// Moves path (a file or a folder) to the user's trash, following the
// freedesktop.org trash layout. False, with the system's reason
// when it gave one, when no trash took it; the file is then where it was.
// Guards against Qt 6.4's fault of "trashing" into ./files when the data
// folder is missing.
bool MoveToTrash(const QString &path, QString *reason = nullptr);

// Whether path lies directly in the files folder of a trash: the home
// trash (…/Trash/files) or a volume's (.Trash-UID/files, .Trash/UID/files).
bool IsInTrashFolder(const QString &path);

// Removes path for good: a folder with everything in it. Symbolic links are
// removed, never followed. False with the reason on the first failure;
// what was removed before it stays removed.
bool DeletePermanently(const QString &path, QString *reason = nullptr);

// Copies or moves a file or folder (with its content) into folder under its
// own name. Never overwrites: a name already there is a failure.
bool CopyInto(const QString &source, const QString &folder, QString *reason = nullptr);
bool MoveInto(const QString &source, const QString &folder, QString *reason = nullptr);

// Renames path within its folder to newName (a name, not a path); never
// overwrites.
bool RenameTo(const QString &path, const QString &newName, QString *reason = nullptr);

// "New Folder", or "New Folder (2)", "New Folder (3)" … whichever is free
// in folder.
QString FreeNewFolderName(const QString &folder);

} // namespace lexivoce::shellview
