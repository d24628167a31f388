#pragma once

#include "dict/import_common.h"

#include <QString>

namespace lexivoce::dict {

// A StarDict dictionary in our format. source is its .ifo file (or the
// .idx, .idx.gz, .dict or .dict.dz beside it, or their common stem); the
// .idx (or .idx.gz) and the .dict.dz (or .dict) are found beside it.
//
// Each word of the .idx gives an entry. Its fields: plain text ('m', 'l',
// 'y', 'w') as it is, HTML ('h'), Pango ('g'), XDXF ('x') and KingSoft XML
// ('k') as their text; a phonetic field ('t', or XDXF's <tr>) becomes the
// transcription; other fields (WordNet, resource lists, every upper-case,
// binary field) are dropped. The text then goes into lines as
// WritePlainEntry says. bookname names the dictionary; description and
// website fill the header entries.
//
// Throws lexivoce::Error, and writes nothing, when a file is missing or
// unreadable, the .ifo is not one, wordcount or idxfilesize (or
// idxoffsetbits) do not match the .idx, the .idx is cut short, a word points
// past the end of the .dict, an entry's fields are damaged, a text is not
// UTF-8, or there are no entries.
TImportedText ConvertStarDict(const QString &source);

} // namespace lexivoce::dict
