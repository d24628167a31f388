#pragma once

#include "dict/import_common.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>

namespace lexivoce::dict {

// A dictd database in our format. source is its .index, its .dict.dz or
// .dict, or their common stem; the other file is found beside it.
//
// Each line of the .index ("word TAB offset TAB length", a fourth field
// being the word as written when the first is folded) gives an entry whose
// text is written as WritePlainEntry says. The 00-database-* entries (and
// the older 00database* ones) are not entries: -info, -short and -url fill
// our header entries, -short names the dictionary, the rest is dropped.
//
// Throws lexivoce::Error, and writes nothing, when a file is missing or
// unreadable (damaged gzip included), a line of the .index is not of that
// form, an entry lies past the end of the text, a text is not UTF-8, or
// there are no entries.
TImportedText ConvertDictd(const QString &source);

// A number in dictd's base-64 digits (A-Z a-z 0-9 + /, most significant
// first), or nullopt when text is empty, holds another character or the
// number needs more than 48 bits.
std::optional<std::uint64_t> DecodeDictdNumber(QByteArrayView text);

} // namespace lexivoce::dict
