#include "dict/index_builder.h"

#include "dict/index_number.h"
#include "dict/locked_file.h"
#include "dict/text.h"
#include "lang/error.h"
#include "lang/save_file.h"

#include <QFileInfo>

#include <algorithm>
#include <bit>
#include <array>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lexivoce::dict {

QString IndexFileName(const QString &dictPath)
{
    const qsizetype slash = dictPath.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = dictPath.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > slash ? dictPath.left(dot) : dictPath;
    return stem + QStringLiteral(".index");
}

namespace {

// Bytes that end the collecting of a head word: the next entry, a line end,
// the start of a transcription.
constexpr auto kEndsWord = [] {
    std::array<bool, 256> table{};
    table['@'] = table['\n'] = table['\r'] = table['/'] = true;
    return table;
}();

// The first byte from p that ends a head word, or end. Sixteen bytes at a
// time where the processor has SSE2 (every x86-64 one).
const char *findWordEnd(const char *p, const char *end)
{
#if defined(__SSE2__)
    const __m128i at = _mm_set1_epi8('@');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i slash = _mm_set1_epi8('/');
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, at), _mm_cmpeq_epi8(bytes, lf)),
                                          _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, slash)));
        if (const int mask = _mm_movemask_epi8(hits))
            return p + std::countr_zero(static_cast<unsigned>(mask));
    }
#endif
    while (p < end && !kEndsWord[static_cast<unsigned char>(*p)])
        ++p;
    return p;
}

} // namespace

void TIndexBuilder::Feed(const char *data, std::int64_t size)
{
    const char *p = data;
    const char *end = data + size;
    while (p < end) {
        if (!m_collecting) {
            const auto *at = static_cast<const char *>(std::memchr(p, '@', static_cast<size_t>(end - p)));
            if (!at) {
                m_pos += end - p;
                return;
            }
            m_pos += at - p;
            p = at;
        } else {
            const char *q = findWordEnd(p, end);
            m_word.append(p, static_cast<size_t>(q - p));
            m_pos += q - p;
            p = q;
            if (p == end)
                return;
            if (*p != '@') {
                m_collecting = false;
                ++p;
                ++m_pos;
                continue;
            }
        }
        EndEntryAt(m_pos);
        ++p;
        ++m_pos;
    }
}

void TIndexBuilder::EndEntryAt(std::int64_t atPosition)
{
    if (atPosition > m_entryStart) {
        WriteLine(m_entryStart, atPosition - m_entryStart);
        m_out.push_back('\n');
    }
    m_entryStart = atPosition;
    m_collecting = true;
    m_word.clear();
}

void TIndexBuilder::Finish()
{
    WriteLine(m_entryStart, m_pos - m_entryStart);
    m_collecting = false;
}

namespace {

// Index digits of value written backwards from end; returns the first digit.
char *encodeBackwards(char *end, std::uint32_t value)
{
    do {
        *--end = kIndexDigits[value % 64];
        value /= 64;
    } while (value != 0);
    return end;
}

} // namespace

void TIndexBuilder::WriteLine(std::int64_t offset, std::int64_t length)
{
    const QByteArrayView word = TrimBytes(QByteArrayView(m_word.data(), static_cast<qsizetype>(m_word.size())));
    // The word, a TAB and at most six digits twice: written in place.
    const size_t start = m_out.size();
    m_out.resize(start + static_cast<size_t>(word.size()) + 14);
    char *out = m_out.data() + start;
    std::memcpy(out, word.data(), static_cast<size_t>(word.size()));
    // A TAB inside the word would be read back as the field separator and
    // give the word a wrong offset.
    for (char *tab = out; (tab = static_cast<char *>(std::memchr(tab, '\t', static_cast<size_t>(out + word.size() - tab))));)
        *tab++ = ' ';
    out += word.size();
    char numbers[16];
    char *end = numbers + sizeof numbers;
    char *first = encodeBackwards(end, static_cast<std::uint32_t>(length));
    *--first = '\t';
    first = encodeBackwards(first, static_cast<std::uint32_t>(offset));
    *--first = '\t';
    std::memcpy(out, first, static_cast<size_t>(end - first));
    m_out.resize(static_cast<size_t>(out + (end - first) - m_out.data()));
}

TJobResult BuildIndex(const QString &dictPath, TJobReporter *reporter)
{
    TLockedFile dict;
    const std::int64_t size = OpenWholeDictionary(dict, dictPath, TLockedFile::TLock::Shared);

    TJobPacer pacer(reporter);
    pacer.Notice(lang::MSG14);

    const QString indexPath = IndexFileName(dictPath);
    // A dictionary named like an index ("words.index") would be replaced by
    // its own index.
    if (QFileInfo(dictPath).canonicalFilePath() == QFileInfo(indexPath).canonicalFilePath())
        throw Error(QStringLiteral("The dictionary \"%1\" has the name of its own index file; give it another "
                                   "extension (\".dict\").")
                        .arg(dictPath));
    lang::TSaveFile index(indexPath);
    const auto fail = [&] { return Error(WriteFailedMessage(indexPath, index.ErrorString())); };
    if (!index.Open())
        throw fail();

    constexpr std::int64_t kChunk = kIndexReadChunk;
    auto buffer = std::make_unique<char[]>(kChunk);
    TIndexBuilder builder;
    const auto flush = [&] {
        const std::string_view lines = builder.Output();
        if (!index.Write(QByteArrayView(lines.data(), static_cast<qsizetype>(lines.size()))))
            throw fail();
        builder.ClearOutput();
    };
    pacer.SetProgress(0);
    try {
        for (;;) {
            const std::int64_t n = dict.Read(buffer.get(), kChunk);
            if (n == 0)
                break;
            builder.Feed(buffer.get(), n);
            if (builder.Output().size() >= kChunk)
                flush();
            if (size > 0)
                pacer.SetProgress(static_cast<int>(std::min<std::int64_t>(builder.Position(), size) * 100 / size));
            pacer.Step();
        }
    } catch (const TJobCancelled &) {
        return TJobResult::Cancelled;
    }
    builder.Finish();
    flush();
    if (!index.Commit())
        throw fail();
    pacer.SetProgress(100);
    return TJobResult::Done;
}

} // namespace lexivoce::dict
