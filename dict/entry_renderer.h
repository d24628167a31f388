#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace lexivoce::view { class TStyledDocument; }

namespace lexivoce::dict {

// Splits text into words the way comma-separated text is read: blanks and
// control characters separate words and collapse; a comma separates words
// and disappears; a word in double quotation marks runs to the closing mark
// (a doubled mark inside stands for one; an unclosed word runs to the end);
// a comma as the very last character gives a final empty word.
QStringList SplitWords(QStringView text);

// Appends one entry (lines ending in CR LF, LF or CR; a NUL ends the text) to
// the document and formats it. Each line's first byte is its marker: the
// head line gives the head word and its transcription, idioms and examples a
// bullet picture followed by one jump item per word, an example also its
// translation; every other line one item in its marker's style. A final
// empty paragraph separates entries. Never clears the document.
void RenderEntry(view::TStyledDocument &document, QByteArrayView entry);

} // namespace lexivoce::dict
