#include "shellview/file_operations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace lexivoce::shellview {

namespace fs = std::filesystem;

namespace {

fs::path nativePath(const QString &path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

bool fail(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
    return false;
}

bool fail(QString *reason, const std::error_code &error)
{
    return fail(reason, QString::fromLocal8Bit(error.message()));
}

bool failErrno(QString *reason, int error)
{
    return fail(reason, QString::fromLocal8Bit(std::strerror(error)));
}

// Whether something (a dangling link too) is at path.
bool occupied(const QString &path)
{
    std::error_code error;
    return fs::symlink_status(nativePath(path), error).type() != fs::file_type::not_found;
}

QString targetIn(const QString &source, const QString &folder)
{
    return QDir(folder).filePath(QFileInfo(source).fileName());
}

} // namespace

bool IsInTrashFolder(const QString &path)
{
    // By name only: the folders need not exist to be judged.
    const QStringList parts = QDir::cleanPath(path).split(u'/');
    const qsizetype n = parts.size();
    if (n < 3 || parts[n - 2] != QLatin1String("files"))
        return false;
    const QString uid = QString::number(::getuid());
    const QString &trash = parts[n - 3];
    if (trash == QLatin1String("Trash") || trash == QStringLiteral(".Trash-") + uid)
        return true;
    // $topdir/.Trash/$uid/files
    return trash == uid && n >= 4 && parts[n - 4] == QLatin1String(".Trash");
}

bool MoveToTrash(const QString &path, QString *reason)
{
    const QString original = QFileInfo(path).absoluteFilePath();
    if (!occupied(original))
        return failErrno(reason, ENOENT);
    // Qt makes the home trash only inside an existing data folder; without
    // one it takes the current folder for it.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty() && !QDir().mkpath(data))
        return failErrno(reason, errno ? errno : EACCES);

    QFile file(original);
    if (!file.moveToTrash())
        return fail(reason, file.errorString());
    const QString trashed = file.fileName();
    if (IsInTrashFolder(trashed))
        return true;

    // Somewhere that is no trash: put it back, and remove what was made
    // around it.
    const QFileInfo where(trashed);
    QDir top = where.dir();
    top.cdUp();
    if (::rename(QFile::encodeName(trashed).constData(), QFile::encodeName(original).constData()) != 0)
        return failErrno(reason, errno);
    QFile::remove(top.filePath(QStringLiteral("info/") + where.fileName() + QStringLiteral(".trashinfo")));
    top.rmdir(QStringLiteral("files"));
    top.rmdir(QStringLiteral("info"));
    return fail(reason, QString());
}

bool DeletePermanently(const QString &path, QString *reason)
{
    const fs::path target = nativePath(path);
    std::error_code error;
    const fs::file_status status = fs::symlink_status(target, error);
    if (error)
        return fail(reason, error);
    if (fs::is_directory(status)) {
        for (fs::directory_iterator it(target, error), end; !error && it != end; it.increment(error)) {
            if (!DeletePermanently(QFile::decodeName(it->path().c_str()), reason))
                return false;
        }
        if (error)
            return fail(reason, error);
    }
    if (!fs::remove(target, error))
        return fail(reason, error ? error : std::make_error_code(std::errc::no_such_file_or_directory));
    return true;
}

bool CopyInto(const QString &source, const QString &folder, QString *reason)
{
    const QString target = targetIn(source, folder);
    if (occupied(target))
        return failErrno(reason, EEXIST);
    const QString from = QDir::cleanPath(QFileInfo(source).absoluteFilePath());
    if (QDir::cleanPath(QFileInfo(folder).absoluteFilePath() + u'/').startsWith(from + u'/'))
        return failErrno(reason, EINVAL); // a folder into itself
    std::error_code error;
    fs::copy(nativePath(source), nativePath(target), fs::copy_options::recursive | fs::copy_options::copy_symlinks,
             error);
    return error ? fail(reason, error) : true;
}

bool MoveInto(const QString &source, const QString &folder, QString *reason)
{
    const QString target = targetIn(source, folder);
    if (occupied(target))
        return failErrno(reason, EEXIST);
    std::error_code error;
    fs::rename(nativePath(source), nativePath(target), error);
    if (!error)
        return true;
    if (error != std::errc::cross_device_link)
        return fail(reason, error);
    // Another file system: a copy, then the original goes.
    return CopyInto(source, folder, reason) && DeletePermanently(source, reason);
}

bool RenameTo(const QString &path, const QString &newName, QString *reason)
{
    if (newName.isEmpty() || newName.contains(u'/') || newName == QLatin1String(".")
        || newName == QLatin1String(".."))
        return failErrno(reason, EINVAL);
    const QString target = QFileInfo(path).dir().filePath(newName);
    if (occupied(target))
        return failErrno(reason, EEXIST);
    std::error_code error;
    fs::rename(nativePath(path), nativePath(target), error);
    return error ? fail(reason, error) : true;
}

QString FreeNewFolderName(const QString &folder)
{
    const QDir dir(folder);
    QString name = QStringLiteral("New Folder");
    for (int n = 2; occupied(dir.filePath(name)); ++n)
        name = QStringLiteral("New Folder (%1)").arg(n);
    return name;
}

} // namespace lexivoce::shellview
