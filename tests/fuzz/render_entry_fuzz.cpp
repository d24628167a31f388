// Random entry texts fed to the renderer and the sort key.
#include "dict/dict_sorter.h"
#include "dict/entry_renderer.h"
#include "lang/error.h"
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

    // Sorting refuses exactly the texts with an '@' inside a line. Otherwise
    // it keeps every byte (adding only line ends) and the header pieces in
    // front, and once every entry ends with a line end it changes nothing
    // more. (An entry that gained its line end may move once: its key was
    // the whole entry before.)
    const bool tearable = dict::FindMidLineAt(entry).has_value();
    QByteArray once;
    try {
        once = dict::SortDictionaryBytes(entry);
    } catch (const Error &) {
        if (!tearable)
            std::abort();
        return 0;
    }
    if (tearable || once.size() < entry.size())
        std::abort();
    qsizetype headEnd = 0;
    for (size_t pieces = 0; pieces < dict::kHeaderPieces && headEnd < entry.size(); ++pieces) {
        const qsizetype next = entry.indexOf('@', headEnd + 1);
        headEnd = next < 0 ? entry.size() : next;
    }
    if (once.left(headEnd) != entry.first(headEnd).toByteArray())
        std::abort();
    const QByteArray twice = dict::SortDictionaryBytes(once);
    if (twice.size() != once.size() || dict::SortDictionaryBytes(twice) != twice)
        std::abort();
    return 0;
}
