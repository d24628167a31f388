#pragma once

#include <QByteArray>

namespace lexivoce::bench {

// A synthetic but realistic English-Vietnamese dictionary: three header
// entries, then entries with head words and transcriptions, word classes,
// Vietnamese meanings, examples with translations and idioms, in UTF-8 with
// CR LF line ends. The same options give the same bytes. About 135 bytes an
// entry on average (300,000 entries: about 40 MB).
struct TGeneratorOptions
{
    int Entries = 300000;
    bool Sorted = true;       // false: entries in random order
    unsigned long long RandomStart = 20261208; // for std::mt19937_64
};

QByteArray GenerateDictionary(const TGeneratorOptions &options);

// The index of a dictionary of options.Entries generated head words, in the
// word list's order, without the dictionary itself: for measuring what
// loading a very large word list costs. Entries lie one after another at
// about the generator's entry size. A dictionary file holding just
// kIndexOnlyDictionary goes with it.
QByteArray GenerateIndex(const TGeneratorOptions &options);
inline constexpr char kIndexOnlyDictionary[] = "@00-database-info\r\n-x\r\n";

} // namespace lexivoce::bench
