#include "dict/dict_file.h"

#include "dict/text.h"
#include "lang/error.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace lexivoce::dict {

void TDictFile::Open(const QString &path)
{
    RequireRegularFile(path);
    m_file.Open(path, TLockedFile::TLock::Shared);
}

QByteArray TDictFile::ReadEntry(TLocation location, bool *cut) const
{
    if (cut)
        *cut = false;
    if (!m_file.IsOpen() || location.Offset < 0 || location.Length <= 0)
        return QByteArray();
    // A length past the end (a stale index, a crafted one) is cut to the
    // file before anything is allocated for it.
    const std::int64_t available = std::min<std::int64_t>(location.Length, m_file.Size() - location.Offset);
    if (available <= 0)
        return QByteArray();
    // One byte past the cap tells whether a character goes on across it.
    const QByteArray bytes = m_file.ReadAt(location.Offset, std::min<std::int64_t>(available, kMaxEntryBytes + 1));
    // Every '@' starts an entry: a length that runs on into the next entries
    // (a stale index) gives this entry alone.
    const qsizetype next = bytes.indexOf('@', 1);
    if (next > 0 && next <= kMaxEntryBytes)
        return ToCrLf(QByteArrayView(bytes).first(next));
    const bool tooLong = available > kMaxEntryBytes;
    if (cut)
        *cut = tooLong;
    return ToCrLf(CutAtCharacter(bytes, kMaxEntryBytes));
}

void RequireRegularFile(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode))
        return;
    const QString reason = S_ISDIR(info.st_mode) ? QString::fromLocal8Bit(std::strerror(EISDIR))
                                                 : QStringLiteral("It is not a regular file.");
    throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
}

bool IsIndexOlder(const QString &dictPath, const QString &indexPath)
{
    const QFileInfo dict(dictPath);
    const QFileInfo index(indexPath);
    if (!dict.exists() || !index.exists())
        return false;
    return index.lastModified().msecsTo(dict.lastModified()) > 2000;
}

QByteArray ToCrLf(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out.append('\r');
        out.append(text[i]);
    }
    return out;
}

} // namespace lexivoce::dict
