#pragma once

#include "dict/location.h"
#include "dict/locked_file.h"

#include <QByteArray>
#include <QString>

namespace lexivoce::dict {

// The active dictionary's text file, open for reading with writing denied to
// others for as long as the dictionary is active.
class TDictFile
{
public:
    // Throws lexivoce::Error when the file cannot be opened or is locked by a
    // writer.
    void Open(const QString &path) { m_file.Open(path, TLockedFile::TLock::Shared); }
    void Close() { m_file.Close(); }
    bool IsOpen() const { return m_file.IsOpen(); }
    const QString &Path() const { return m_file.Path(); }

    // The text of the entry at location: Length bytes from Offset, or as many
    // as the file still holds, with every lone LF made CR LF. Empty when the
    // file is not open or the location is negative (a damaged index). Throws
    // lexivoce::Error on a read error.
    QByteArray ReadEntry(TLocation location) const;

private:
    TLockedFile m_file;
};

// Lone LFs of text made CR LF.
QByteArray ToCrLf(QByteArrayView text);

} // namespace lexivoce::dict
