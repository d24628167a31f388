#pragma once

#include "dict/job_reporter.h"

#include <QByteArrayView>
#include <QString>

namespace lexivoce::dict {

// The sort key of an entry: the bytes after its first byte up to the first
// CR LF (or, without a CR LF, the whole entry, first byte included), decoded
// from UTF-8, trimmed and lower-cased.
QString SortKey(QByteArrayView entry);

// -1, 0 or 1 as first's key is less than, equal to or greater than second's,
// compared UTF-16 code unit by code unit (a prefix is smaller).
int CompareEntries(QByteArrayView first, QByteArrayView second);

// The dictionary's bytes with its entries (and a preamble before the first
// '@', which sorts like an entry) in CompareEntries order; entries with equal
// keys keep their order. An entry that does not end with a line end gains
// CR LF; one that does is written as it is, so sorting is idempotent.
QByteArray SortDictionaryBytes(QByteArrayView bytes, TJobPacer *pacer = nullptr);

// Rewrites the file at dictPath in sorted order. Speaks MSG17 through the
// reporter first. Returns NoFile (and says nothing) when there is no file.
// The file is replaced only after the sorted text has been written completely
// to a temporary file beside it; any failure leaves it as it was. Throws
// lexivoce::Error when the file cannot be opened, is in use by a reader that
// denies writing (the main window's open dictionary), is 2 GB or larger, or
// cannot be replaced.
TJobResult SortDictionary(const QString &dictPath, TJobReporter *reporter = nullptr);

} // namespace lexivoce::dict
