// Random index files fed to the word list, then searched.
#include "dict/word_list.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace lexivoce::dict;
    TWordList list;
    list.Fill(QByteArrayView(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    for (int i = 0; i < list.Count() && i < 64; ++i) {
        const QString word = list.Word(i);
        const int exact = FindExact(word, list);
        if (exact < 0 || exact > i)
            std::abort();
        const int nearest = FindNearest(word, list);
        if (nearest < 0 || nearest > list.Count())
            std::abort();
    }
    FindNearest(QStringLiteral("\U0001F600x"), list);
    return 0;
}
