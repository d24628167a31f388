#pragma once

#include "dict/import_common.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace lexivoce::dict {

// An ABBYY Lingvo DSL dictionary (.dsl, or .dsl.dz) in our format. The text
// is UTF-16 (little- or big-endian, by its byte-order mark; little-endian
// without one) or UTF-8.
//
// Header lines (#NAME "...", #INDEX_LANGUAGE, #CONTENTS_LANGUAGE) name the
// dictionary and fill the header entries. A card is one or more head word
// lines at the start of a line, then body lines indented by blanks or tabs;
// every head word (see DslHeadWords) gets an entry with the card's body.
// A body line becomes:
// - the transcription, when it holds a [t] area and nothing else but
//   brackets and slashes (the first such line of a card);
// - a word class line ('*'), for a part-of-speech label [p]...[/p] (n, v,
//   adj...) that opens the line, the rest of the line going on as below;
// - an example line ('=') for each [ex] area: a translation after a [lang]
//   area, else after a dash between blanks, is told apart;
// - an idiom line ('!') for a sub-card's head word ("@ word"); its lines
//   follow as the idiom's meanings;
// - a meaning line ('-') for all other text.
// Dropped: every tag ([m1], [trn], [com], [b], [c red], [ref]...), sound
// and picture references ([s]...[/s]), comments ({{...}}), the << >> of
// references. Escapes (\[ \] \~ ...) give their character, ~ the card's
// head word.
//
// Throws lexivoce::Error, and writes nothing, when the file is missing or
// unreadable (damaged gzip included), its text is neither UTF-16 nor UTF-8,
// or it holds no cards.
TImportedText ConvertDsl(const QString &source);

// The head words of a DSL head word line: unsorted parts ({...}) and tags
// left out, escapes resolved, blanks collapsed; a line with optional parts
// ((...)) gives the word with them first, then each word without some of
// them (the first four optional parts vary; later ones are kept). Empty
// words are left out, and repeats.
QStringList DslHeadWords(QStringView line);

} // namespace lexivoce::dict
