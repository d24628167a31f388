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

// What one entry may give the view at most. The view lays out every item on
// the GUI thread at once, at some 15 microseconds an item and twice that a
// paragraph; these bounds keep the worst entry to a few frames, while real
// entries, a few hundred items at most, are shown whole.
inline constexpr int kMaxEntryItems = 3000;
inline constexpr int kMaxEntryParagraphs = 1000;
// The longest run of characters a line may hold without a place to break
// it. The view tries every position of such a run for each screen line, which
// grows with the square of its length (a run of 64 K characters took a
// second); no word of a real entry comes near.
inline constexpr qsizetype kMaxUnbreakableRun = 512;

// Appends one entry (lines ending in CR LF, LF or CR; a NUL ends the text) to
// the document and formats it. Each line's first byte is its marker: the
// head line gives the head word and its transcription, idioms and examples a
// bullet picture followed by one jump item per word, an example also its
// translation; every other line one item in its marker's style. A final
// empty paragraph separates entries. Never clears the document.
// An entry beyond the bounds above is cut: a line at its over-long run, the
// entry at the item or paragraph that would cross a bound. Returns whether
// anything was cut.
bool RenderEntry(view::TStyledDocument &document, QByteArrayView entry);

} // namespace lexivoce::dict
