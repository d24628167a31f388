#include "shellview/places.h"

#include "lang/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <algorithm>
#include <array>

namespace lexivoce::shellview {

TShellTexts TShellTexts::Defaults()
{
    return {lang::CtlShellTop.Text(),        lang::CtlShellHome.Text(),       lang::CtlShellFileSystem.Text(),
            lang::CtlShellTrash.Text(),      lang::CtlShellFolder.Text(),     lang::CtlShellColumnName.Text(),
            lang::CtlShellColumnSize.Text(), lang::CtlShellColumnType.Text(), lang::CtlShellColumnModified.Text()};
}

bool IsVolumeWorthShowing(const TVolume &volume)
{
    const QString &root = volume.RootPath;
    if (root.isEmpty() || root == QLatin1String("/"))
        return false;
    static const std::array<const char *, 24> pseudo = {
        "proc",     "sysfs",   "devtmpfs", "devpts",     "tmpfs",   "cgroup",    "cgroup2", "securityfs",
        "pstore",   "bpf",     "debugfs",  "tracefs",    "mqueue",  "hugetlbfs", "configfs", "fusectl",
        "autofs",   "binfmt_misc", "efivarfs", "nsfs",  "ramfs",   "overlay",   "squashfs", "fuse.portal"};
    for (const char *type : pseudo) {
        if (volume.FileSystemType == type)
            return false;
    }
    // Where the system mounts its own parts; removable media live under
    // /media, /run/media and /mnt.
    if (root.startsWith(QLatin1String("/run/media/")))
        return true;
    static const std::array<const char *, 10> system = {"/proc", "/sys", "/dev", "/run", "/boot", "/snap",
                                                        "/var",  "/tmp", "/usr", "/etc"};
    for (const char *prefix : system) {
        const QLatin1String top(prefix);
        if (root == top || root.startsWith(top + u'/'))
            return false;
    }
    return true;
}

QList<TVolume> MountedVolumes()
{
    QList<TVolume> volumes;
    for (const QStorageInfo &storage : QStorageInfo::mountedVolumes()) {
        if (!storage.isValid() || !storage.isReady())
            continue;
        volumes.append({storage.rootPath(), storage.fileSystemType(), storage.displayName(), storage.isReadOnly()});
    }
    return volumes;
}

QString HomeTrashFiles()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/files");
}

QList<TPlace> TopPlaces(const TShellTexts &texts)
{
    QList<TPlace> places;
    places.append({texts.Home, QDir::cleanPath(QDir::homePath())});
    places.append({texts.FileSystem, QStringLiteral("/")});
    QList<TVolume> volumes = MountedVolumes();
    std::sort(volumes.begin(), volumes.end(),
              [](const TVolume &a, const TVolume &b) { return a.RootPath < b.RootPath; });
    for (const TVolume &volume : volumes) {
        // Containers mount single files (/etc/hosts) too.
        if (!IsVolumeWorthShowing(volume) || !QFileInfo(volume.RootPath).isDir())
            continue;
        const QString path = QDir::cleanPath(volume.RootPath);
        if (path == places.first().Path)
            continue;
        const QString name = volume.Name.isEmpty() ? QFileInfo(path).fileName() : volume.Name;
        places.append({name, path});
    }
    const QString trash = HomeTrashFiles();
    if (QFileInfo(trash).isDir())
        places.append({texts.Trash, QDir::cleanPath(trash)});
    return places;
}

} // namespace lexivoce::shellview
