#include "dict/import_common.h"

#include "dict/locked_file.h"
#include "lang/error.h"

#include <QFileInfo>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace lexivoce::dict {

QString SourceError(const QString &path, const QString &what)
{
    return QStringLiteral("Cannot import \"%1\": %2.").arg(path, what);
}

namespace {

bool isGzip(QByteArrayView bytes)
{
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F
        && static_cast<unsigned char>(bytes[1]) == 0x8B;
}

QString tooLarge(qsizetype maxBytes)
{
    return QStringLiteral("it holds more than %1 bytes of text, more than a dictionary can hold").arg(maxBytes);
}

// The members of a gzip file inflated one after the other (a file may be a
// concatenation of members; dictzip writes one).
QByteArray inflateGzip(const QString &path, QByteArrayView compressed, qsizetype maxBytes)
{
    z_stream stream {};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        throw Error(SourceError(path, QStringLiteral("there is not enough memory to uncompress it")));
    struct TEnd
    {
        z_stream *Stream;
        ~TEnd() { inflateEnd(Stream); }
    } end{&stream};

    // The last four bytes give the size of the last member's text (modulo
    // 4 GiB): a good first guess of the whole.
    QByteArray out;
    if (compressed.size() >= 18) {
        std::uint32_t size = 0;
        std::memcpy(&size, compressed.data() + compressed.size() - 4, 4);
        // A damaged trailer must not ask for gigabytes: deflate shrinks text
        // by a factor of a few, never of more than about a thousand.
        const auto most = static_cast<std::uint64_t>(compressed.size()) * 16;
        out.reserve(static_cast<qsizetype>(std::min<std::uint64_t>({size, most, static_cast<std::uint64_t>(maxBytes)})));
    }
    const auto *input = reinterpret_cast<const Bytef *>(compressed.data());
    qsizetype inputLeft = compressed.size();
    constexpr qsizetype kMaxStep = 1 << 30; // avail_in and avail_out are 32-bit
    for (;;) {
        if (out.capacity() - out.size() < (1 << 16))
            out.reserve(std::max<qsizetype>(out.capacity() * 2, 1 << 20));
        const qsizetype before = out.size();
        const qsizetype room = std::min(out.capacity() - before, kMaxStep);
        out.resize(before + room);
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + before);
        stream.avail_out = static_cast<uInt>(room);
        const qsizetype inputStep = std::min(inputLeft, kMaxStep);
        stream.next_in = const_cast<Bytef *>(input);
        stream.avail_in = static_cast<uInt>(inputStep);
        const int result = inflate(&stream, Z_NO_FLUSH);
        out.resize(before + room - static_cast<qsizetype>(stream.avail_out));
        if (out.size() > maxBytes)
            throw Error(SourceError(path, tooLarge(maxBytes)));
        const qsizetype used = inputStep - static_cast<qsizetype>(stream.avail_in);
        input += used;
        inputLeft -= used;
        if (result == Z_STREAM_END) {
            // Another member may follow; anything else after the end is
            // ignored, as gzip itself ignores trailing zeros.
            if (!isGzip(QByteArrayView(reinterpret_cast<const char *>(input), inputLeft)))
                break;
            inflateReset(&stream);
            continue;
        }
        if (result == Z_DATA_ERROR || result == Z_NEED_DICT || result == Z_STREAM_ERROR)
            throw Error(SourceError(path, QStringLiteral("its gzip compression is damaged (%1)")
                                              .arg(QString::fromLatin1(stream.msg ? stream.msg : "bad data"))));
        if (result == Z_MEM_ERROR)
            throw Error(SourceError(path, QStringLiteral("there is not enough memory to uncompress it")));
        if (inputLeft == 0 && used == 0 && stream.avail_out != 0)
            throw Error(SourceError(path, QStringLiteral("the gzip file is cut short")));
    }
    return out;
}

} // namespace

QByteArray ReadSourceFile(const QString &path, qsizetype maxBytes)
{
    TLockedFile file;
    file.Open(path, TLockedFile::TLock::Shared);
    const std::int64_t size = file.Size();
    if (size > maxBytes)
        throw Error(SourceError(path, tooLarge(maxBytes)));
    QByteArray bytes = file.ReadAt(0, size);
    if (bytes.size() != size)
        throw Error(SourceError(path, QStringLiteral("it changed while it was read")));
    if (isGzip(bytes))
        return inflateGzip(path, bytes, maxBytes);
    if (path.endsWith(QStringLiteral(".dz")) || path.endsWith(QStringLiteral(".gz")))
        throw Error(SourceError(path, QStringLiteral("its name says gzip-compressed, but it is not")));
    return bytes;
}

TSourceFile ReadFirstSourceFile(const QString &stem, std::initializer_list<const char *> suffixes)
{
    for (const char *suffix : suffixes) {
        const QString path = stem + QString::fromLatin1(suffix);
        if (QFileInfo::exists(path))
            return {path, ReadSourceFile(path)};
    }
    // Opening the first says that it is missing.
    const QString first = stem + QString::fromLatin1(*suffixes.begin());
    return {first, ReadSourceFile(first)};
}

namespace {

constexpr QByteArrayView kFullwidthAt("\xEF\xBC\xA0");
constexpr QByteArrayView kDivisionSlash("\xE2\x88\x95");
constexpr QByteArrayView kFullwidthPlus("\xEF\xBC\x8B");
constexpr QByteArrayView kReplacement("\xEF\xBF\xBD");

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at p (2 to 4), or 0.
int sequenceLength(const unsigned char *p, const unsigned char *end)
{
    const unsigned char b = p[0];
    const qsizetype left = end - p;
    if (b >= 0xC2 && b <= 0xDF)
        return left >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (left < 3 || !isContinuation(p[1]) || !isContinuation(p[2]))
            return 0;
        if ((b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] >= 0xA0))
            return 0; // overlong, or a surrogate
        return 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (left < 4 || !isContinuation(p[1]) || !isContinuation(p[2]) || !isContinuation(p[3]))
            return 0;
        if ((b == 0xF0 && p[1] < 0x90) || (b == 0xF4 && p[1] >= 0x90))
            return 0;
        return 4;
    }
    return 0;
}

} // namespace

void TDictTextWriter::appendClean(QByteArrayView text, TPiece piece)
{
    text = TrimBytes(text);
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = p + text.size();
    while (p < end) {
        // Runs of ordinary printable ASCII go in one piece.
        const unsigned char *run = p;
        while (run < end && *run >= 0x20 && *run < 0x7F && *run != '@' && *run != '/' && *run != '+')
            ++run;
        if (run > p) {
            m_text.append(reinterpret_cast<const char *>(p), run - p);
            p = run;
            continue;
        }
        const unsigned char b = *p;
        if (b == '@') {
            m_text.append(kFullwidthAt);
        } else if (b == '/') {
            m_text.append(piece == TPiece::HeadWord ? kDivisionSlash : QByteArrayView("/"));
        } else if (b == '+') {
            m_text.append(piece == TPiece::Example ? kFullwidthPlus : QByteArrayView("+"));
        } else if (b < 0x20 || b == 0x7F) {
            m_text.append(' ');
        } else {
            const int length = sequenceLength(p, end);
            if (length == 0)
                throw TNotUtf8{};
            if (length == 4)
                m_text.append(kReplacement);
            else
                m_text.append(reinterpret_cast<const char *>(p), length);
            p += length;
            continue;
        }
        ++p;
    }
}

void TDictTextWriter::WriteHeader(QByteArrayView info, QByteArrayView shortName, QByteArrayView url)
{
    m_text.append("@00-database-info\r\n");
    ForEachLine(info, [this](QByteArrayView line) { addLine('-', line); });
    m_text.append("@00-database-short\r\n");
    addLine('-', shortName);
    m_text.append("@00-database-url\r\n");
    addLine('-', url);
    m_inEntry = false;
}

bool TDictTextWriter::BeginEntry(QByteArrayView word, QByteArrayView transcription)
{
    m_inEntry = false;
    word = TrimBytes(word);
    if (word.isEmpty())
        return false;
    const qsizetype start = m_text.size();
    m_text.append('@');
    appendClean(word, TPiece::HeadWord);
    // A word of control characters alone is blank once cleaned.
    if (TrimBytes(QByteArrayView(m_text).sliced(start + 1)).isEmpty()) {
        m_text.truncate(start);
        return false;
    }
    transcription = TrimBytes(transcription);
    if (!transcription.isEmpty()) {
        m_text.append(" /");
        appendClean(transcription, TPiece::Text);
        m_text.append('/');
    }
    m_text.append("\r\n");
    m_inEntry = true;
    ++m_entries;
    return true;
}

void TDictTextWriter::AddLine(char marker, QByteArrayView text)
{
    if (m_inEntry)
        addLine(marker, text);
}

void TDictTextWriter::addLine(char marker, QByteArrayView text)
{
    text = TrimBytes(text);
    if (text.isEmpty())
        return;
    m_text.append(marker);
    appendClean(text, TPiece::Text);
    m_text.append("\r\n");
}

void TDictTextWriter::AddExample(QByteArrayView example, QByteArrayView translation)
{
    example = TrimBytes(example);
    translation = TrimBytes(translation);
    if (!m_inEntry || (example.isEmpty() && translation.isEmpty()))
        return;
    if (example.isEmpty()) {
        addLine('+', translation);
        return;
    }
    m_text.append('=');
    appendClean(example, TPiece::Example);
    if (!translation.isEmpty()) {
        m_text.append('+');
        appendClean(translation, TPiece::Text);
    }
    m_text.append("\r\n");
}

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct THeadLine
{
    QByteArrayView Word;          // the line's spelling of the word
    QByteArrayView Transcription; // between the slashes
    QByteArrayView WordClass;     // between the angle brackets
    QByteArrayView Rest;          // what else the line holds
};

// Length in bytes of the start of line that equals word, letter case
// ignored, or -1.
qsizetype matchWord(QByteArrayView line, QByteArrayView word)
{
    if (line.startsWith(word))
        return word.size();
    const QString text = DecodeUtf8(line);
    const QString key = DecodeUtf8(word);
    if (text.isEmpty() || key.isEmpty() || !text.startsWith(key, Qt::CaseInsensitive))
        return -1;
    return text.left(key.size()).toUtf8().size();
}

// The parts of line when it is the head line of word.
std::optional<THeadLine> matchHeadLine(QByteArrayView line, QByteArrayView word)
{
    const qsizetype length = matchWord(line, word);
    if (length < 0)
        return std::nullopt;
    THeadLine head;
    head.Word = line.first(length);
    QByteArrayView after = line.sliced(length);
    if (after.isEmpty())
        return head;
    if (!isBlank(after[0]))
        return std::nullopt;
    after = TrimBytes(after);
    if (after.startsWith('/')) {
        const qsizetype close = after.indexOf('/', 1);
        if (close < 0)
            return std::nullopt;
        head.Transcription = after.sliced(1, close - 1);
        after = TrimBytes(after.sliced(close + 1));
    } else if (!after.startsWith('<')) {
        return std::nullopt;
    }
    if (after.startsWith('<')) {
        const qsizetype close = after.indexOf('>');
        if (close > 0) {
            head.WordClass = after.sliced(1, close - 1);
            after = after.sliced(close + 1);
        }
    }
    head.Rest = TrimBytes(after);
    return head;
}

} // namespace

void WritePlainEntry(TDictTextWriter &writer, QByteArrayView word, QByteArrayView text,
                     QByteArrayView transcription)
{
    word = TrimBytes(word);
    // The first non-empty line, and where the lines after it begin.
    qsizetype start = 0;
    QByteArrayView first;
    while (start < text.size() && first.isEmpty()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        first = TrimBytes(text.sliced(start, end - start));
        start = end + 1;
    }
    const std::optional<THeadLine> head = first.isEmpty() ? std::nullopt : matchHeadLine(first, word);
    if (!writer.BeginEntry(head ? head->Word : word,
                           TrimBytes(transcription).isEmpty() && head ? head->Transcription : transcription))
        return;
    if (head) {
        writer.AddLine('*', head->WordClass);
        writer.AddLine('-', head->Rest);
    } else {
        writer.AddLine('-', first);
    }
    if (start < text.size())
        ForEachLine(text.sliced(start), [&writer](QByteArrayView line) { writer.AddLine('-', line); });
}

} // namespace lexivoce::dict
