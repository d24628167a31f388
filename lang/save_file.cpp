#include "lang/save_file.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexivoce::lang {

namespace {

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray nameOf(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

// The file a chain of symbolic links ends at; the path itself when it is no
// link. A missing final target is still the place to write. False with
// *error set when the chain does not end.
bool followLinks(const QByteArray &path, QByteArray *target, int *error)
{
    QByteArray current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info {};
        if (::lstat(current.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            *target = current;
            return true;
        }
        QByteArray link(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(current.constData(), link.data(), static_cast<size_t>(link.size()));
        if (n < 0) {
            *error = errno;
            return false;
        }
        link.truncate(n);
        current = link.startsWith('/') ? link : folderOf(current) + '/' + link;
    }
    *error = ELOOP;
    return false;
}

QByteArray randomSuffix()
{
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(8, Qt::Uninitialized);
    for (char &c : suffix)
        c = kChars[QRandomGenerator::global()->bounded(static_cast<int>(sizeof kChars - 1))];
    return suffix;
}

// Makes a rename in folder survive a crash; the file's own data is already
// on the disk, so a failure here loses nothing and is not reported.
void syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// fdatasync, where the file system can do it at all.
bool syncData(int fd)
{
    return ::fdatasync(fd) == 0 || errno == EINVAL || errno == EROFS;
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

TSaveFile::TSaveFile(const QString &path)
    : m_path(path), m_target(path)
{
}

TSaveFile::~TSaveFile()
{
    Abandon();
}

bool TSaveFile::Fail(const QString &reason)
{
    if (!m_failed) {
        m_failed = true;
        m_error = reason;
    }
    Abandon();
    return false;
}

bool TSaveFile::FailWithErrno(int error)
{
    return Fail(systemReason(error));
}

void TSaveFile::Abandon()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.isEmpty()) {
        ::unlink(QFile::encodeName(m_temp).constData());
        m_temp.clear();
    }
}

bool TSaveFile::Open()
{
    Abandon();
    m_failed = false;
    m_error.clear();
    m_size = 0;
    m_writtenBack = 0;

    QByteArray target;
    int error = 0;
    if (!followLinks(QFile::encodeName(m_path), &target, &error))
        return FailWithErrno(error);
    m_target = QFile::decodeName(target);

    struct stat info {};
    m_targetExists = ::stat(target.constData(), &info) == 0;
    m_hardLinked = false;
    if (m_targetExists) {
        if (S_ISDIR(info.st_mode))
            return Fail(QStringLiteral("It is a folder"));
        if (!S_ISREG(info.st_mode))
            return Fail(QStringLiteral("It is not a regular file"));
        m_hardLinked = info.st_nlink > 1;
        m_device = info.st_dev;
        m_inode = info.st_ino;
    }

    // Beside the target, so that the rename stays on one file system.
    const QByteArray prefix = folderOf(target) + "/." + nameOf(target).left(200) + '.';
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        const QByteArray temp = prefix + randomSuffix() + ".tmp";
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              m_targetExists ? 0600 : 0666);
        if (fd >= 0) {
            m_fd = fd;
            m_temp = QFile::decodeName(temp);
        } else if (errno != EEXIST) {
            return FailWithErrno(errno);
        }
    }
    if (m_fd < 0)
        return FailWithErrno(EEXIST);

    if (m_targetExists) {
        // The new file takes the old one's place, with its owner and mode.
        if (::fchown(m_fd, info.st_uid, info.st_gid) != 0) {
            // Only the owner's own group or root may keep another owner.
        }
        if (::fchmod(m_fd, info.st_mode & 07777) != 0)
            return FailWithErrno(errno);
    }
    return true;
}

bool TSaveFile::Write(QByteArrayView bytes)
{
    if (m_failed)
        return false;
    if (m_fd < 0)
        return Fail(QStringLiteral("The file is not open"));
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, static_cast<size_t>(std::min<qsizetype>(left, 1 << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FailWithErrno(errno);
        }
        if (n == 0)
            return FailWithErrno(ENOSPC);
        data += n;
        left -= n;
        m_size += n;
    }
    // Writing back what is written so far starts now, without waiting for
    // it, so that the sync of Commit has little left to wait for.
    constexpr qint64 kWriteBackStep = 1 << 20;
    if (m_size - m_writtenBack >= kWriteBackStep) {
        ::sync_file_range(m_fd, m_writtenBack, m_size - m_writtenBack, SYNC_FILE_RANGE_WRITE);
        m_writtenBack = m_size;
    }
    return true;
}

bool TSaveFile::Commit()
{
    if (m_failed)
        return false;
    if (m_fd < 0)
        return Fail(QStringLiteral("The file is not open"));
    // A file system that allocates late reports a full disk only here.
    if (!syncData(m_fd))
        return FailWithErrno(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        return FailWithErrno(errno);
    return m_hardLinked ? RewriteInPlace() : ReplaceByRename();
}

bool TSaveFile::ReplaceByRename()
{
    const QByteArray temp = QFile::encodeName(m_temp);
    const QByteArray target = QFile::encodeName(m_target);
    if (::rename(temp.constData(), target.constData()) != 0)
        return FailWithErrno(errno);
    m_temp.clear();
    syncFolder(folderOf(target));
    return true;
}

bool TSaveFile::RewriteInPlace()
{
    const QByteArray temp = QFile::encodeName(m_temp);
    const QByteArray target = QFile::encodeName(m_target);
    const int out = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    if (out < 0)
        return FailWithErrno(errno);
    struct stat info {};
    if (::fstat(out, &info) != 0 || info.st_dev != m_device || info.st_ino != m_inode || info.st_nlink <= 1) {
        // Replaced or unlinked meanwhile: no other name shares it any more.
        ::close(out);
        return ReplaceByRename();
    }
    // Space first: a full disk is found before a byte of the old content
    // changes. A file system without reservations goes on without.
    if (m_size > 0 && ::fallocate(out, FALLOC_FL_KEEP_SIZE, 0, m_size) != 0 && errno != EOPNOTSUPP
        && errno != ENOSYS) {
        const int error = errno;
        ::close(out);
        return FailWithErrno(error);
    }

    // From here on the old content is being overwritten. On a failure the
    // complete new content stays in the temporary file, and the reason says
    // where.
    const int in = ::open(temp.constData(), O_RDONLY | O_CLOEXEC);
    int error = in < 0 ? errno : 0;
    constexpr qsizetype kChunk = 1024 * 1024;
    auto buffer = std::make_unique<char[]>(kChunk);
    qint64 done = 0;
    while (error == 0 && done < m_size) {
        const ssize_t n = ::pread(in, buffer.get(), kChunk, done);
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        for (ssize_t at = 0; at < n && error == 0;) {
            const ssize_t w = ::pwrite(out, buffer.get() + at, static_cast<size_t>(n - at), done + at);
            if (w > 0)
                at += w;
            else if (w == 0 || errno != EINTR)
                error = w == 0 ? ENOSPC : errno;
        }
        done += n;
    }
    if (in >= 0)
        ::close(in);
    if (error == 0 && ::ftruncate(out, m_size) != 0)
        error = errno;
    if (error == 0 && !syncData(out))
        error = errno;
    if (::close(out) != 0 && error == 0 && errno != EINTR)
        error = errno;
    if (error != 0) {
        const QString kept = m_temp;
        m_temp.clear();
        return Fail(systemReason(error) + QStringLiteral("; the complete new content is kept in ") + kept);
    }
    ::unlink(temp.constData());
    m_temp.clear();
    return true;
}

} // namespace lexivoce::lang
