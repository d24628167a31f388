#pragma once

#include "dict/location.h"

#include <QByteArrayView>

#include <cstring>

namespace lexivoce::dict {

// Calls onLine for each line of bytes as the word list reads an index: a
// line ends at CR LF, LF or a lone CR; a line end at the very end of bytes
// starts no further line.
template<typename F>
void SplitIndexLines(QByteArrayView bytes, F &&onLine)
{
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    // Most indexes have no CR: then no line is searched for one.
    const bool hasCr = p < end && std::memchr(p, '\r', static_cast<size_t>(end - p));
    while (p < end) {
        const auto *lf = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char *stop = lf ? lf : end;
        // Lone CRs inside; a CR just before the LF is part of a CR LF.
        for (const char *s = p;;) {
            const auto *cr = hasCr ? static_cast<const char *>(std::memchr(s, '\r', static_cast<size_t>(stop - s)))
                                   : nullptr;
            if (!cr) {
                onLine(QByteArrayView(s, stop - s));
                break;
            }
            onLine(QByteArrayView(s, cr - s));
            s = cr + 1;
            if (s == stop)
                break;
        }
        p = lf ? lf + 1 : end;
    }
}

// Whether line has the two TABs that ParseIndexLine needs; the first one's
// position, or nullptr.
inline const char *IndexLineWordEnd(QByteArrayView line)
{
    const char *end = line.data() + line.size();
    const auto *tab1 = static_cast<const char *>(std::memchr(line.data(), '\t', static_cast<size_t>(line.size())));
    if (!tab1 || !std::memchr(tab1 + 1, '\t', static_cast<size_t>(end - tab1 - 1)))
        return nullptr;
    return tab1;
}

// One index line's fields: the head word's bytes (not yet capped) before the
// first TAB, and the location from the numbers after it. False for a line
// without two TABs, which the word list skips.
bool ParseIndexLine(QByteArrayView line, QByteArrayView &word, TLocation &location);

} // namespace lexivoce::dict
