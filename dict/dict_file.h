#pragma once

#include "dict/location.h"
#include "dict/locked_file.h"

#include <QByteArray>
#include <QString>

namespace lexivoce::dict {

// The most of one entry that is fetched and shown, in bytes. Real entries are
// a few kilobytes at most; a longer one (a damaged file, a length spanning the
// whole file) is cut, so that one look-up costs bounded memory and time.
inline constexpr qsizetype kMaxEntryBytes = 64 * 1024;

// The active dictionary's text file, open for reading with writing denied to
// others for as long as the dictionary is active.
class TDictFile
{
public:
    // Throws lexivoce::Error when the path is not a regular file, the file
    // cannot be opened or is locked by a writer.
    void Open(const QString &path);
    void Close() { m_file.Close(); }
    bool IsOpen() const { return m_file.IsOpen(); }
    const QString &Path() const { return m_file.Path(); }

    // The text of the entry at location: Length bytes from Offset, or as many
    // as the file still holds, up to (not including) a further '@', at most
    // kMaxEntryBytes (cut before a character that would be split), with
    // every lone LF made CR LF. *cut, when given, tells whether the entry
    // was longer than that. Empty when the file is not open or the location
    // lies outside the file (a damaged index). Throws lexivoce::Error on a
    // read error.
    QByteArray ReadEntry(TLocation location, bool *cut = nullptr) const;

private:
    TLockedFile m_file;
};

// Throws lexivoce::Error when something other than a regular file (a folder,
// a FIFO, a device) is at path, before anyone opens it: reading a FIFO would
// wait for a writer, a device would never end. A missing file passes; opening
// it reports that.
void RequireRegularFile(const QString &path);

// Whether the dictionary was changed after its index was written, judged by
// modification times. Copies of a dictionary with its index (unpacking, a new
// profile filled from the installed data) land moments apart in any order,
// so the dictionary must be newer by more than two seconds. False when
// either file is missing.
bool IsIndexOlder(const QString &dictPath, const QString &indexPath);

// Lone LFs of text made CR LF.
QByteArray ToCrLf(QByteArrayView text);

} // namespace lexivoce::dict
