#pragma once

#include "dict/import_common.h"

#include <QString>

#include <optional>

namespace lexivoce::dict {

// The formats that dictionaries of other programs come in.
enum class TImportFormat {
    Dictd,    // .index with .dict or .dict.dz
    StarDict, // .ifo with .idx (or .idx.gz) and .dict or .dict.dz
    Dsl,      // ABBYY Lingvo .dsl or .dsl.dz
};

// "dictd", "stardict" or "dsl", letter case ignored.
std::optional<TImportFormat> ImportFormatFromName(const QString &name);

// The source in our format, unsorted; see ConvertDictd, ConvertStarDict and
// ConvertDsl for what each takes from its format and when it refuses.
TImportedText ConvertDictionary(TImportFormat format, const QString &source);

// Throws lexivoce::Error when outPath or its index file already exists (or
// is a link): an import never replaces a file, least of all the source's own
// ".index" beside a dictd ".dict.dz" of the same name. Also refuses an
// outPath that is its own index name.
void RefuseExistingOutput(const QString &outPath);

// Sorts text (our format, header entries first) with SortDictionaryBytes,
// writes it to outPath whole or not at all and builds its index beside it.
// Refuses as RefuseExistingOutput does, and throws lexivoce::Error when the
// text is 2 GiB or larger or a file cannot be written (a full disk); then
// neither file is left behind.
void WriteImportedDictionary(const QString &outPath, QByteArray text);

} // namespace lexivoce::dict
