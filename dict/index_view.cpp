#include "dict/index_view.h"

#include "dict/dict_file.h"
#include "dict/index_lines.h"
#include "dict/text.h"
#include "dict/word_fold.h"
#include "dict/word_list.h"
#include "lang/error.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <sys/mman.h>

namespace lexivoce::dict {

namespace {

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::uint64_t load8(const char *p)
{
    std::uint64_t x;
    std::memcpy(&x, p, sizeof x);
    return x;
}

bool isAscii(QByteArrayView bytes)
{
    const char *p = bytes.data();
    const qsizetype n = bytes.size();
    std::uint64_t high = 0;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8)
        high |= load8(p + i);
    for (; i < n; ++i)
        high |= static_cast<unsigned char>(p[i]);
    return (high & 0x8080808080808080u) == 0;
}

// Whether a, lowered as FindNearest lowers, is greater than b: both ASCII.
// Neighbours in a sorted list share their starts: those are skipped eight
// bytes at a time.
bool asciiGreater(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype i = 0;
    for (;;) {
        // The first byte where the two differ at all, eight at a time.
        while (i + 8 <= n) {
            const std::uint64_t x = load8(a.data() + i) ^ load8(b.data() + i);
            if (x != 0) {
                i += std::countr_zero(x) / 8;
                break;
            }
            i += 8;
        }
        while (i < n && a[i] == b[i])
            ++i;
        if (i == n)
            return a.size() > b.size();
        const char x = asciiLower(a[i]);
        const char y = asciiLower(b[i]);
        if (x != y)
            return x > y;
        ++i; // the same letter in another case
    }
}

QString decodeWord(QByteArrayView bytes)
{
    return DecodeUtf8(CapWordBytes(bytes));
}

} // namespace

TIndexView::TIndexView(const QString &indexPath)
    : m_file(indexPath)
{
    RequireRegularFile(indexPath);
    if (!m_file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(indexPath, m_file.errorString()));
    const qint64 size = m_file.size();
    if (size > 0) {
        // Read ahead whole: one walk touches every page anyway.
        void *mapped = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE | MAP_POPULATE,
                              m_file.handle(), 0);
        if (mapped == MAP_FAILED)
            throw Error(QStringLiteral("Cannot read file \"%1\". %2")
                            .arg(indexPath, QString::fromLocal8Bit(std::strerror(errno))));
        m_bytes = QByteArrayView(static_cast<const char *>(mapped), size);
    }
    m_lines.reserve(static_cast<size_t>(size / 16));

    // One pass: the line of each word, and the order of the word against
    // the one before.
    int lineNumber = 0;
    QByteArrayView previous;
    bool previousAscii = true;
    bool inOrder = true;
    SplitIndexLines(m_bytes, [&](QByteArrayView line) {
        if (++lineNumber <= 3)
            return;
        const char *wordEnd = IndexLineWordEnd(line);
        if (!wordEnd)
            return;
        m_lines.push_back(line.data() - m_bytes.data());
        if (!inOrder)
            return;
        const QByteArrayView word = CapWordBytes(QByteArrayView(line.data(), wordEnd - line.data()));
        const bool ascii = isAscii(word);
        if (ascii && previousAscii) {
            inOrder = m_lines.size() == 1 || !asciiGreater(previous, word);
        } else {
            // Seldom, in an English head-word list: words are decoded and
            // lowered as the word list would.
            const QString text = decodeWord(word);
            inOrder = (ascii || FoldsAsItLowers(text))
                   && (m_lines.size() == 1 || !(LoweredKey(text) < LoweredKey(decodeWord(previous))));
        }
        previous = word;
        previousAscii = ascii;
    });
    m_inOrder = inOrder;
}

TIndexView::~TIndexView()
{
    if (!m_bytes.isEmpty())
        ::munmap(const_cast<char *>(m_bytes.data()), static_cast<size_t>(m_bytes.size()));
}

QByteArrayView TIndexView::Line(int position) const
{
    const QByteArrayView rest = m_bytes.sliced(m_lines[static_cast<size_t>(position)]);
    qsizetype end = 0;
    while (end < rest.size() && rest[end] != '\n' && rest[end] != '\r')
        ++end;
    return rest.first(end);
}

QString TIndexView::Word(int position) const
{
    QByteArrayView word;
    TLocation location;
    ParseIndexLine(Line(position), word, location);
    return decodeWord(word);
}

TLocation TIndexView::Location(int position) const
{
    QByteArrayView word;
    TLocation location;
    ParseIndexLine(Line(position), word, location);
    return location;
}

int TIndexView::FindNearest(QStringView key) const
{
    return LowerBoundOfKey(key, Count(), [this](int position) { return Word(position); });
}

std::optional<int> TIndexView::FindExact(QStringView key) const
{
    if (!m_inOrder || !FoldsAsItLowers(key))
        return std::nullopt;
    const QString lowered = LoweredKey(key);
    for (int position = FindNearest(key); position < Count(); ++position) {
        const QString word = Word(position);
        if (LoweredKey(word) != lowered)
            break;
        if (SameWord(word, key))
            return position;
    }
    return -1;
}

} // namespace lexivoce::dict
