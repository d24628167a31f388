#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>

namespace lexivoce::dict {

// How the word list compares words: in Unicode normalisation form C, with
// letter case ignored by case folding. Safe to call from any thread.

// text in normalisation form C. Most words are in it already and are used as
// they are, without a copy; storage holds the normalised copy when one is
// needed.
QStringView ToNfc(QStringView text, QString &storage);

// A hash of text's case-folded code points; text in normalisation form C.
std::uint32_t FoldedHash(QStringView text);

// Whether a and b, both in normalisation form C, are equal ignoring case.
bool EqualIgnoringCase(QStringView a, QStringView b);

// Whether two words are equal as FindExact compares them.
bool SameWord(QStringView a, QStringView b);

// key as FindNearest compares it: lower-cased, then in normalisation form C.
QString LoweredKey(QStringView key);

// Whether word, lower-cased and in normalisation form C, is less than
// loweredKey (see LoweredKey), by UTF-16 code units.
bool LoweredLess(QStringView word, QStringView loweredKey);

// Whether text's case folding is its lower-casing (both in normalisation
// form C), so that two such texts are equal ignoring case exactly when
// their lowered forms are equal. True for ASCII and for Vietnamese; false
// for the few letters whose folding differs: the long s, the final sigma,
// the micro sign, the dotted capital I, Greek symbol forms.
bool FoldsAsItLowers(QStringView text);

// FindNearest over count words that wordAt(position) gives: the first
// position whose word, lowered, is not less than the lowered key.
template<typename WordAt>
int LowerBoundOfKey(QStringView key, int count, WordAt wordAt)
{
    const QString lowered = LoweredKey(key);
    int low = 0;
    int high = count - 1;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        if (LoweredLess(wordAt(middle), lowered))
            low = middle + 1;
        else
            high = middle - 1;
    }
    return low;
}

} // namespace lexivoce::dict
