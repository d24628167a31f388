#include "dict/locked_file.h"

#include "lang/error.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lexivoce::dict {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

TLockedFile::~TLockedFile()
{
    Close();
}

TLockedFile::TLockedFile(TLockedFile &&other) noexcept
    : m_fd(other.m_fd), m_path(std::move(other.m_path))
{
    other.m_fd = -1;
}

TLockedFile &TLockedFile::operator=(TLockedFile &&other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        other.m_fd = -1;
    }
    return *this;
}

void TLockedFile::Open(const QString &path, TLock lock)
{
    Close();
    const QByteArray name = QFile::encodeName(path);
    // Not blocking: opening a FIFO for reading would wait for a writer.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            throw Error(QStringLiteral("The file \"%1\" does not exist.").arg(path));
        throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, systemError(error)));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const bool folder = S_ISDIR(info.st_mode);
        ::close(fd);
        if (folder)
            throw Error(QStringLiteral("\"%1\" is a folder, not a file.").arg(path));
        throw Error(QStringLiteral("\"%1\" is not a regular file (a pipe or a device, for one); "
                                   "Lexivoce reads only regular files.")
                        .arg(path));
    }
    const int operation = (lock == TLock::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    if (::flock(fd, operation) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            throw Error(QStringLiteral("The file \"%1\" is in use by another program.").arg(path));
        throw Error(QStringLiteral("Cannot lock file \"%1\". %2").arg(path, systemError(error)));
    }
    // Reads of a regular file never block; the flag is dropped all the same.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_path = path;
}

void TLockedFile::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd); // releases the lock
        m_fd = -1;
    }
}

std::int64_t TLockedFile::Size() const
{
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0)
        throw Error(QStringLiteral("Cannot read file \"%1\".").arg(m_path));
    return info.st_size;
}

QByteArray TLockedFile::ReadAt(std::int64_t offset, std::int64_t size) const
{
    QByteArray bytes;
    if (m_fd < 0 || offset < 0 || size <= 0)
        return bytes;
    bytes.resize(size);
    std::int64_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(m_fd, bytes.data() + done, static_cast<size_t>(size - done),
                                  static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            throw Error(QStringLiteral("Cannot read file \"%1\". %2").arg(m_path, systemError(error)));
        }
        if (n == 0)
            break;
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

std::int64_t TLockedFile::Read(char *buffer, std::int64_t size)
{
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, static_cast<size_t>(size));
        if (n >= 0)
            return n;
        if (errno != EINTR) {
            const int error = errno;
            throw Error(QStringLiteral("Cannot read file \"%1\". %2").arg(m_path, systemError(error)));
        }
    }
}

std::int64_t OpenWholeDictionary(TLockedFile &file, const QString &path, TLockedFile::TLock lock)
{
    file.Open(path, lock);
    const std::int64_t size = file.Size();
    if (size > kMaxDictionarySize)
        throw Error(QStringLiteral("The file \"%1\" is 2 GB or larger; Lexivoce cannot index files of that size.")
                        .arg(path));
    return size;
}

QString WriteFailedMessage(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot write file \"%1\". %2").arg(path, reason);
}

} // namespace lexivoce::dict
