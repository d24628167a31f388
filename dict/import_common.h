#pragma once

#include "dict/locked_file.h"
#include "dict/text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <initializer_list>

namespace lexivoce::dict {

// What the importers share: reading a source file, plain or gzip-compressed,
// and writing our entry format from another format's pieces.

// A source converted to our format, not yet sorted: the header entries
// first, then the entries in the source's order.
struct TImportedText
{
    QByteArray Text;
    QString Name;             // the source's own name for itself; may be empty
    std::int64_t Entries = 0; // after the header
};

// The most a source may hold once inflated: what is larger than a dictionary
// can be (kMaxDictionarySize) could not be indexed, and a small damaged or
// hostile gzip file must not inflate until memory runs out.
inline constexpr qsizetype kMaxSourceBytes = kMaxDictionarySize;

// The bytes of the file at path, inflated when it is gzip-compressed (a
// dictzip file is one). Throws lexivoce::Error, naming the file, when it does
// not exist, is no regular file, cannot be read, when it is damaged or cut
// short gzip, when its name ends in ".gz" or ".dz" and it is not gzip, or
// when it holds, or inflates to, more than maxBytes.
QByteArray ReadSourceFile(const QString &path, qsizetype maxBytes = kMaxSourceBytes);

struct TSourceFile
{
    QString Path; // the name that was read
    QByteArray Bytes;
};

// ReadSourceFile of the first of stem + each suffix, in the order given,
// that exists; when none does, the error of the first one missing.
TSourceFile ReadFirstSourceFile(const QString &stem, std::initializer_list<const char *> suffixes);

// The text of a dictionary in our format, written entry by entry from
// another format's pieces. Whatever the pieces hold, the text can be sorted
// and indexed as it is:
// - an '@' in a piece becomes U+FF20 FULLWIDTH COMMERCIAL AT, which looks and
//   is read alike: every '@' byte starts an entry, so none may stay in text;
// - a '/' in a head word becomes U+2215 DIVISION SLASH: the first '/' of a
//   head line ends the word that is listed and looked up;
// - a '+' in an example becomes U+FF0B FULLWIDTH PLUS SIGN: the first '+'
//   of an example line starts its translation;
// - control characters (line ends, tabs) become blanks, as each piece is one
//   line; four-byte UTF-8 characters become U+FFFD, because our decoder
//   shows a line that holds one as empty;
// - pieces are trimmed, and an empty piece writes no line.
// Lines end in CR LF. A piece that is not UTF-8 throws TNotUtf8, which the
// importer turns into an error that says where it was.
class TDictTextWriter
{
public:
    struct TNotUtf8
    {
    };

    // The three entries that a dictionary begins with and that are never
    // listed: 00-database-info (one meaning line per line of info),
    // 00-database-short and 00-database-url.
    void WriteHeader(QByteArrayView info, QByteArrayView shortName, QByteArrayView url);

    // Starts an entry: "@word /transcription/", or "@word" without one.
    // Returns false, writing nothing, when the word is empty once cleaned;
    // the lines added after that are dropped until the next entry.
    bool BeginEntry(QByteArrayView word, QByteArrayView transcription = {});

    // One body line: marker ('*', '-', '!', '+') and its text.
    void AddLine(char marker, QByteArrayView text);

    // An example line, with its translation when there is one.
    void AddExample(QByteArrayView example, QByteArrayView translation = {});

    // Entries written after the header.
    std::int64_t Entries() const { return m_entries; }
    QByteArray TakeText() { return std::move(m_text); }

private:
    enum class TPiece { Text, HeadWord, Example };
    void appendClean(QByteArrayView text, TPiece piece);
    void addLine(char marker, QByteArrayView text);

    QByteArray m_text;
    std::int64_t m_entries = 0;
    bool m_inEntry = false;
};

// Writes the entry of word whose source text is plain lines, as dictd and
// StarDict text is: a first line that repeats the word (letter case
// ignored), perhaps followed by a transcription between slashes and a word
// class in angle brackets, gives the head line (with the source's spelling of
// the word) and the word class; every other non-empty line becomes a meaning.
// transcription, when given, wins over one found in the text. Throws
// TNotUtf8 like the writer.
void WritePlainEntry(TDictTextWriter &writer, QByteArrayView word, QByteArrayView text,
                     QByteArrayView transcription = {});

// The lines of text (LF, CR LF or a lone CR ending each), trimmed, empty
// ones skipped, handed to lineFn in order.
template <typename LineFn>
void ForEachLine(QByteArrayView text, LineFn lineFn)
{
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != '\n' && text[end] != '\r')
            ++end;
        const QByteArrayView line = TrimBytes(text.sliced(start, end - start));
        if (!line.isEmpty())
            lineFn(line);
        start = end + 1;
    }
}

// The refusal of a source: "Cannot import "path": what."
QString SourceError(const QString &path, const QString &what);

} // namespace lexivoce::dict
