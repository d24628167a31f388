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
    const QByteArray sorted = dict::SortDictionaryBytes(entry);
    if (dict::SortDictionaryBytes(sorted) != sorted)
        std::abort();
    return 0;
}
