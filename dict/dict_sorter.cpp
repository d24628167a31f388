#include "dict/dict_sorter.h"

#include "dict/locked_file.h"
#include "dict/text.h"
#include "lang/error.h"
#include "lang/save_file.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <numeric>
#include <vector>

namespace lexivoce::dict {

QString SortKey(QByteArrayView entry)
{
    const qsizetype lineEnd = entry.indexOf(QByteArrayView("\r\n"));
    QByteArrayView key = entry;
    if (lineEnd > 0)
        key = entry.sliced(1, lineEnd - 1);
    else if (lineEnd == 0)
        key = QByteArrayView(); // a piece that begins with its line end (a preamble)
    const QString decoded = DecodeUtf8(key);
    return TrimText(decoded).toString().toLower();
}

int CompareEntries(QByteArrayView first, QByteArrayView second)
{
    const int order = QStringView(SortKey(first)).compare(SortKey(second));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

namespace {

constexpr QByteArrayView kUtf8Mark("\xEF\xBB\xBF");

bool isLineEnd(char byte)
{
    return byte == '\n' || byte == '\r';
}

// The line around offset as a short, printable text for a message.
QString lineAround(QByteArrayView bytes, qsizetype offset)
{
    qsizetype begin = offset;
    while (begin > 0 && !isLineEnd(bytes[begin - 1]))
        --begin;
    qsizetype end = offset;
    while (end < bytes.size() && !isLineEnd(bytes[end]))
        ++end;
    QString text = QString::fromUtf8(bytes.sliced(begin, end - begin));
    for (QChar &c : text) {
        if (c.unicode() < 32)
            c = u' ';
    }
    constexpr qsizetype kMaxChars = 80;
    text = TrimText(text).toString();
    if (text.size() > kMaxChars)
        text = text.left(kMaxChars) + QStringLiteral("...");
    return text;
}

// Line number of offset, counting CR LF, LF and a lone CR as one line end
// each, as the entry view splits lines.
qsizetype lineNumberOf(QByteArrayView bytes, qsizetype offset)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < offset; ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    }
    return line;
}

} // namespace

std::optional<TMidLineAt> FindMidLineAt(QByteArrayView bytes)
{
    const char *begin = bytes.data();
    const char *end = begin + bytes.size();
    for (const char *p = begin; p < end; ++p) {
        p = static_cast<const char *>(std::memchr(p, '@', static_cast<size_t>(end - p)));
        if (!p)
            break;
        const qsizetype offset = p - begin;
        const bool startsLine = offset == 0 || isLineEnd(p[-1])
                             || (offset == kUtf8Mark.size() && bytes.startsWith(kUtf8Mark));
        if (!startsLine)
            return TMidLineAt{offset, lineNumberOf(bytes, offset), lineAround(bytes, offset)};
    }
    return std::nullopt;
}

QString MidLineAtMessage(const QString &dictPath, const TMidLineAt &at)
{
    return QStringLiteral("Cannot sort \"%1\". Line %2 holds an @ that does not begin the line, and sorting "
                          "would tear the line apart there: \"%3\". The file was not changed.")
        .arg(dictPath)
        .arg(at.Line)
        .arg(at.Text);
}

namespace {

// Where each piece starts: at every '@', and at 0 for a preamble; the
// size of bytes closes the last piece.
std::vector<std::uint32_t> splitEntries(QByteArrayView bytes, TJobPacer *pacer)
{
    std::vector<std::uint32_t> starts;
    const char *begin = bytes.data();
    const char *end = begin + bytes.size();
    const char *start = begin;
    while (start < end) {
        starts.push_back(static_cast<std::uint32_t>(start - begin));
        const auto *next = static_cast<const char *>(
            std::memchr(start + 1, '@', static_cast<size_t>(end - start - 1)));
        start = next ? next : end;
        if (pacer) {
            pacer->SetProgress(static_cast<int>(static_cast<std::int64_t>(start - begin) * 100 / bytes.size()));
            pacer->Tick();
        }
    }
    starts.push_back(static_cast<std::uint32_t>(bytes.size()));
    return starts;
}

bool endsWithLineEnd(QByteArrayView entry)
{
    return !entry.isEmpty() && isLineEnd(entry.back());
}

// SortDictionaryBytes for bytes without an '@' inside a line, handing the
// sorted text to write in pieces of about a megabyte. What it holds besides
// the file is the keys, in one pool, and a few numbers per entry: about a
// third of the file's size.
void sortPieces(QByteArrayView bytes, TJobPacer *pacer, const std::function<void(QByteArrayView)> &write)
{
    const std::vector<std::uint32_t> starts = splitEntries(bytes, pacer);
    const size_t pieces = starts.size() - 1;
    const auto piece = [&](size_t i) { return bytes.sliced(starts[i], starts[i + 1] - starts[i]); };
    const size_t head = std::min(pieces, kHeaderPieces);

    std::vector<char16_t> pool;
    std::vector<std::uint32_t> keyStarts(pieces + 1, 0);
    for (size_t i = 0; i < pieces; ++i) {
        keyStarts[i] = static_cast<std::uint32_t>(pool.size());
        if (i >= head) {
            const QString key = SortKey(piece(i));
            pool.insert(pool.end(), key.utf16(), key.utf16() + key.size());
            if (pacer)
                pacer->Tick();
        }
    }
    keyStarts[pieces] = static_cast<std::uint32_t>(pool.size());
    const auto key = [&](std::uint32_t i) {
        return QStringView(pool.data() + keyStarts[i], static_cast<qsizetype>(keyStarts[i + 1] - keyStarts[i]));
    };

    std::vector<std::uint32_t> order(pieces - head);
    std::iota(order.begin(), order.end(), static_cast<std::uint32_t>(head));
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (pacer)
            pacer->Tick();
        return key(a) < key(b);
    });

    constexpr qsizetype kBlock = 1 << 20;
    QByteArray block;
    block.reserve(kBlock + 2);
    const auto add = [&](QByteArrayView text) {
        if (block.size() + text.size() > kBlock && !block.isEmpty()) {
            write(block);
            block.clear();
        }
        if (text.size() > kBlock)
            write(text);
        else
            block.append(text);
    };
    // The head stays as it is: no '@' inside a line means that only the last
    // piece of the file can lack its line end.
    for (size_t i = 0; i < head; ++i)
        add(piece(i));
    for (const std::uint32_t i : order) {
        add(piece(i));
        if (!endsWithLineEnd(piece(i)))
            add(QByteArrayView("\r\n", 2));
    }
    if (!block.isEmpty())
        write(block);
}

} // namespace

QByteArray SortDictionaryBytes(QByteArrayView bytes, TJobPacer *pacer)
{
    if (const std::optional<TMidLineAt> at = FindMidLineAt(bytes))
        throw Error(MidLineAtMessage(QStringLiteral("the dictionary"), *at));
    QByteArray sorted;
    sortPieces(bytes, pacer, [&](QByteArrayView text) { sorted.append(text); });
    return sorted;
}

TJobResult SortDictionary(const QString &dictPath, TJobReporter *reporter)
{
    // Held until the new file is in place: no reader can open the old one
    // meanwhile, and a reader that already has it makes this fail at once.
    TLockedFile file;
    const std::int64_t size = OpenWholeDictionary(file, dictPath, TLockedFile::TLock::Exclusive);

    TJobPacer pacer(reporter);
    pacer.Notice(lang::MSG17);

    try {
        QByteArray bytes(size, Qt::Uninitialized);
        std::int64_t done = 0;
        constexpr std::int64_t kChunk = 1024 * 1024;
        while (done < size) {
            const std::int64_t n = file.Read(bytes.data() + done, std::min(kChunk, size - done));
            if (n == 0)
                break;
            done += n;
            pacer.Step();
        }
        bytes.truncate(done);

        if (const std::optional<TMidLineAt> at = FindMidLineAt(bytes))
            throw Error(MidLineAtMessage(dictPath, *at));
        // The sorted text goes straight to the new file: no second copy of
        // the dictionary in memory.
        lang::TSaveFile out(dictPath);
        const auto fail = [&] { return Error(WriteFailedMessage(dictPath, out.ErrorString())); };
        if (!out.Open())
            throw fail();
        sortPieces(bytes, &pacer, [&](QByteArrayView text) {
            if (!out.Write(text))
                throw fail();
            pacer.Step();
        });
        pacer.SetProgress(100);
        if (!out.Commit())
            throw fail();
    } catch (const TJobCancelled &) {
        return TJobResult::Cancelled;
    }
    return TJobResult::Done;
}

} // namespace lexivoce::dict
