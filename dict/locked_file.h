#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace lexivoce::dict {

// A file open for reading under an advisory lock (flock). A shared lock
// denies writing to others: our own writers take an exclusive lock first and
// give up while any reader holds the file. Neither lock ever waits.
class TLockedFile
{
public:
    enum class TLock { Shared, Exclusive };

    TLockedFile() = default;
    ~TLockedFile();
    TLockedFile(TLockedFile &&other) noexcept;
    TLockedFile &operator=(TLockedFile &&other) noexcept;
    TLockedFile(const TLockedFile &) = delete;
    TLockedFile &operator=(const TLockedFile &) = delete;

    // Throws lexivoce::Error when the file does not exist, is a folder or
    // anything else but a regular file (a FIFO is refused, never waited
    // for), cannot be opened ("Cannot open file ...", with the system's
    // reason) or another handle holds a conflicting lock ("... is in use").
    void Open(const QString &path, TLock lock);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    const QString &Path() const { return m_path; }

    // Current size in bytes; throws on failure.
    std::int64_t Size() const;

    // Reads up to size bytes from offset; fewer at the end of the file.
    // Throws lexivoce::Error on a read error.
    QByteArray ReadAt(std::int64_t offset, std::int64_t size) const;

    // Reads up to size bytes into buffer at the current position; returns
    // the count, 0 at the end. Throws on a read error.
    std::int64_t Read(char *buffer, std::int64_t size);

private:
    int m_fd = -1;
    QString m_path;
};

// Files of 2 GiB or more cannot be described by the 32-bit offsets of an
// index.
inline constexpr std::int64_t kMaxDictionarySize = 0x7FFFFFFF;

// Opens a dictionary for a job that reads it whole and returns its size.
// Throws like TLockedFile::Open, and when the file is too large to index.
std::int64_t OpenWholeDictionary(TLockedFile &file, const QString &path, TLockedFile::TLock lock);

// The error text for a file that could not be written; reason is the
// system's ("No space left on device").
QString WriteFailedMessage(const QString &path, const QString &reason);

} // namespace lexivoce::dict
