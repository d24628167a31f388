// Random dictionaries fed to the index builder: whole and in pieces of the
// sizes the input itself chooses must give the same index, and every line of
// it must be one the word list reads back with matching offsets.
#include "dict/index_builder.h"
#include "dict/word_list.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace lexivoce::dict;
    const char *bytes = reinterpret_cast<const char *>(data);
    const auto length = static_cast<std::int64_t>(size);

    TIndexBuilder builder;
    builder.Feed(bytes, length);
    builder.Finish();
    const std::string_view whole = builder.Output();

    TIndexBuilder pieceBuilder;
    std::int64_t at = 0;
    while (at < length) {
        const std::int64_t piece = 1 + (data[at] % 7);
        const std::int64_t n = piece < length - at ? piece : length - at;
        pieceBuilder.Feed(bytes + at, n);
        at += n;
    }
    pieceBuilder.Finish();
    if (whole != pieceBuilder.Output())
        std::abort();

    // Every entry's location lies inside the file and they tile it.
    TWordList list;
    list.Fill(QByteArray("\n\n\n") + QByteArray(whole.data(), static_cast<qsizetype>(whole.size())));
    std::int64_t expected = 0;
    for (int i = 0; i < list.Count(); ++i) {
        const TLocation location = list.Location(i);
        if (location.Offset != expected || location.Length < 0)
            std::abort();
        expected += location.Length;
    }
    if (list.Count() > 0 && expected != length)
        std::abort();
    return 0;
}
