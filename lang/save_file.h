#pragma once

#include <QByteArrayView>
#include <QString>

#include <sys/types.h>

namespace lexivoce::lang {

// Writes a file whole or not at all: the bytes go to a temporary file in the
// target's folder, and only when every write, the flush to the disk and the
// close have succeeded does the new file take the place of the old one. On
// any failure the old file keeps its bytes and the temporary file is removed.
//
// A symbolic link is followed: its final target is rewritten and the link
// stays. A file with several hard links is rewritten in place, after the new
// content is complete on the disk and space for it is reserved, so every name
// sees the new content. A new file gets the umask's permissions, a replaced one
// keeps its own (and its owner, where allowed).
//
// Errors are reported by return value; ErrorString gives the system's reason
// for the first failure ("No space left on device"). Not thread-safe.
class TSaveFile
{
public:
    explicit TSaveFile(const QString &path);
    // Abandons a file that was opened but not committed.
    ~TSaveFile();

    TSaveFile(const TSaveFile &) = delete;
    TSaveFile &operator=(const TSaveFile &) = delete;

    // Creates the temporary file. False when the target is a folder or not a
    // regular file, or its folder does not let us create a file.
    bool Open();

    // Appends bytes; every byte is handed to the system before it returns.
    // False after any failure, this one or an earlier one.
    bool Write(QByteArrayView bytes);

    // Flushes and closes the temporary file and puts it in the target's
    // place. False when any step failed; then the target is as it was.
    bool Commit();

    // Removes the temporary file; the target is left alone.
    void Abandon();

    // The path given, and the file that is really written (links followed).
    const QString &Path() const { return m_path; }
    const QString &TargetPath() const { return m_target; }

    // The reason of the first failure, one sentence without a final stop.
    const QString &ErrorString() const { return m_error; }

private:
    bool Fail(const QString &reason);
    bool FailWithErrno(int error);
    bool ReplaceByRename();
    bool RewriteInPlace();

    QString m_path;
    QString m_target;
    QString m_temp;
    QString m_error;
    int m_fd = -1;
    qint64 m_size = 0;
    qint64 m_writtenBack = 0; // bytes whose write-back has been started
    bool m_failed = false;

    // The target as found by Open.
    bool m_targetExists = false;
    bool m_hardLinked = false;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

} // namespace lexivoce::lang
