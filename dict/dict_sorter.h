#pragma once

#include "dict/job_reporter.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace lexivoce::dict {

// The sort key of an entry: the bytes after its first byte up to the first
// CR LF (or, without a CR LF, the whole entry, first byte included), decoded
// from UTF-8, trimmed and lower-cased. A piece that begins with CR LF has an
// empty key.
QString SortKey(QByteArrayView entry);

// -1, 0 or 1 as first's key is less than, equal to or greater than second's,
// compared UTF-16 code unit by code unit (a prefix is smaller).
int CompareEntries(QByteArrayView first, QByteArrayView second);

// The pieces at the start of a dictionary that sorting leaves in place: the
// three that the word list never offers, a preamble before the first '@'
// (a UTF-8 byte-order mark included) counting as one of them, as it has an
// index line of its own.
inline constexpr size_t kHeaderPieces = 3;

// An '@' that does not begin a line. Every '@' starts an entry, so sorting
// would carry the rest of its line, and the lines after it, elsewhere.
struct TMidLineAt
{
    qsizetype Offset; // of the '@', in bytes
    qsizetype Line;   // 1-based; CR LF, LF and a lone CR each end a line
    QString Text;     // the line, trimmed, control characters blanked, cut
};

// The first '@' that neither starts the file (or follows its UTF-8
// byte-order mark) nor follows a CR or LF.
std::optional<TMidLineAt> FindMidLineAt(QByteArrayView bytes);

// The error text that refuses to sort dictPath because of at.
QString MidLineAtMessage(const QString &dictPath, const TMidLineAt &at);

// The dictionary's bytes with its entries after the header pieces in
// CompareEntries order; entries with equal keys keep their order. The header
// pieces are kept byte for byte. A sorted entry that does not end with a line
// end gains CR LF; one that does is written as it is, so sorting is
// idempotent. Throws lexivoce::Error (see MidLineAtMessage) when an '@' does
// not begin its line.
QByteArray SortDictionaryBytes(QByteArrayView bytes, TJobPacer *pacer = nullptr);

// Rewrites the file at dictPath in sorted order; a symbolic link is followed
// and keeps pointing at the sorted file, other hard links see it too. Speaks
// MSG17 through the reporter once the file is open. The file is replaced only
// after the sorted text has been written completely, and checked, to a
// temporary file beside it; any failure leaves it as it was. Throws
// lexivoce::Error when the file does not exist, is a folder or no regular
// file, cannot be opened, is in use by a reader that denies writing (the main
// window's open dictionary), is 2 GB or larger, holds an '@' inside a line
// (nothing is written then), or cannot be written whole (a full disk, with
// the system's reason). Returns Cancelled, the file untouched, when the
// reporter asks to stop.
TJobResult SortDictionary(const QString &dictPath, TJobReporter *reporter = nullptr);

} // namespace lexivoce::dict
