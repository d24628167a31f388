#pragma once

#include "dict/job_reporter.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

namespace lexivoce::dict {

// The index file of a dictionary: the extension of the file name (from its
// last '.') replaced by ".index", or ".index" appended when there is none.
QString IndexFileName(const QString &dictPath);

// The index line builder, fed with the dictionary's bytes in pieces of any
// size. Each entry runs from its '@' up to the next '@' or the end; its line
// is: the head word (the bytes after '@' up to the first '/', LF or CR,
// trimmed, a TAB inside it made a blank), TAB, offset, TAB, length (index
// digits), LF; the last line has no LF. Bytes before the first '@' get a
// line with an empty head word.
class TIndexBuilder
{
public:
    void Feed(const char *data, std::int64_t size);
    // Writes the line of the last entry. Call once, after the last Feed.
    void Finish();

    std::int64_t Position() const { return m_pos; }

    // The index lines produced so far; ClearOutput keeps the buffer for reuse.
    std::string_view Output() const { return m_out; }
    void ClearOutput() { m_out.clear(); }

private:
    void EndEntryAt(std::int64_t atPosition);
    void WriteLine(std::int64_t offset, std::int64_t length);

    std::string m_out;
    std::string m_word;
    std::int64_t m_pos = 0;
    std::int64_t m_entryStart = 0;
    bool m_collecting = false;
};

// Writes the index file of the dictionary at dictPath, replacing an existing
// one only once the new one is complete on the disk (links followed, see
// lang::TSaveFile). Speaks MSG14 through the reporter once the dictionary is
// open. Throws lexivoce::Error, with the system's reason, when the
// dictionary does not exist, is a folder or no regular file, cannot be
// opened or is 2 GB or larger, or the index cannot be written whole (a full
// disk); an existing index is then left as it was and nothing else is left
// behind. Returns Cancelled, with the old index in place, when the reporter
// asks to stop.
TJobResult BuildIndex(const QString &dictPath, TJobReporter *reporter = nullptr);

// BuildIndex reads the dictionary in pieces of this size and lets the event
// loop run between them: about half a millisecond of work each.
inline constexpr std::int64_t kIndexReadChunk = 1024 * 1024;

} // namespace lexivoce::dict
