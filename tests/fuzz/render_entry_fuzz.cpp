// Random entry texts fed to the renderer and the sort key.
#include "dict/dict_sorter.h"
#include "dict/entry_renderer.h"
#include "view/styled_document.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace lexivoce;
    const QByteArrayView entry(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    view::TStyledDocument document;
    dict::RenderEntry(document, entry);
    // The entry always ends with the empty separating paragraph.
    const int last = document.ItemCount() - 1;
    if (last < 0 || !document.ItemText(last).isEmpty() || document.Item(last).ParaNo != 0)
        std::abort();
    for (int i = 0; i < document.ItemCount(); ++i) {
        const int style = document.ItemStyle(i);
        if (style != view::kPictureStyle && (style < 0 || style > 6))
            std::abort();
    }
    (void)dict::SortKey(entry);
    // Sorting keeps every byte (adding only line ends) and, once every entry
    // ends with a line end, changes nothing more. (An entry that gained its
    // line end may move once: its key was the whole entry before. A preamble
    // sorted behind an entry joins it, so only files that start with an
    // entry are checked for that.)
    const QByteArray once = dict::SortDictionaryBytes(entry);
    if (once.size() < entry.size())
        std::abort();
    if (!entry.isEmpty() && entry.front() != '@')
        return 0;
    const QByteArray twice = dict::SortDictionaryBytes(once);
    if (twice.size() != once.size() || dict::SortDictionaryBytes(twice) != twice)
        std::abort();
    return 0;
}
