#include "dict/word_list.h"

#include "dict/dict_file.h"
#include "dict/index_lines.h"
#include "dict/index_number.h"
#include "dict/text.h"
#include "lang/error.h"

#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <vector>

namespace lexivoce::dict {

namespace {

// Grows or shrinks a block taken with std::malloc. A large block is mapped
// memory: what is never written costs address space only, and glibc shrinks
// it in place.
template<typename T>
T *resizeBlock(T *block, size_t count)
{
    if (count == 0) {
        std::free(block);
        return nullptr;
    }
    void *resized = std::realloc(block, count * sizeof(T));
    if (!resized)
        throw std::bad_alloc();
    return static_cast<T *>(resized);
}

// The head word bytes of an entry as the word list holds them: what its
// index line holds (after the '@' up to the first '/', LF or CR, trimmed, a
// TAB made a blank), capped.
QByteArray headWordBytes(QByteArrayView entry)
{
    QByteArrayView word = entry.sliced(1);
    for (qsizetype i = 0; i < word.size(); ++i) {
        const char c = word[i];
        if (c == '/' || c == '\n' || c == '\r' || c == '@') {
            word = word.first(i);
            break;
        }
    }
    QByteArray bytes = CapWordBytes(TrimBytes(word)).toByteArray();
    bytes.replace('\t', ' ');
    return bytes;
}

// The hash FindExact looks words up by, of a word as the list holds it.
std::uint32_t wordHash(QStringView word)
{
    QString storage;
    return FoldedHash(ToNfc(word, storage));
}

} // namespace

bool ParseIndexLine(QByteArrayView line, QByteArrayView &word, TLocation &location)
{
    const char *tab1 = IndexLineWordEnd(line);
    if (!tab1)
        return false;
    const qsizetype wordBytes = tab1 - line.data();
    const QByteArrayView rest = line.sliced(wordBytes + 1);
    const qsizetype tab2 = rest.indexOf('\t');
    word = line.first(wordBytes);
    location.Offset = DecodeIndexNumber(rest.first(tab2));
    location.Length = DecodeIndexNumber(rest.sliced(tab2 + 1));
    return true;
}

QByteArrayView CapWordBytes(QByteArrayView bytes)
{
    return CutAtCharacter(bytes, kMaxWordBytes);
}

bool IsEntryOf(QByteArrayView entry, QStringView word)
{
    if (entry.isEmpty() || entry.front() != '@')
        return false;
    return SameWord(DecodeUtf8(headWordBytes(entry)), word);
}

// ---- TWordListContent

TWordListContent::TWordListContent() = default;

TWordListContent::~TWordListContent()
{
    std::free(m_pool);
    std::free(m_items);
}

TWordListContent::TWordListContent(TWordListContent &&other) noexcept
{
    *this = std::move(other);
}

TWordListContent &TWordListContent::operator=(TWordListContent &&other) noexcept
{
    if (this != &other) {
        std::free(m_pool);
        std::free(m_items);
        m_pool = std::exchange(other.m_pool, nullptr);
        m_poolSize = std::exchange(other.m_poolSize, 0);
        m_poolCapacity = std::exchange(other.m_poolCapacity, 0);
        m_items = std::exchange(other.m_items, nullptr);
        m_count = std::exchange(other.m_count, 0);
        m_itemCapacity = std::exchange(other.m_itemCapacity, 0);
        m_lineNumber = std::exchange(other.m_lineNumber, 0);
    }
    return *this;
}

QStringView TWordListContent::Word(int position) const
{
    const size_t i = static_cast<size_t>(position);
    const size_t end = i + 1 < m_count ? m_items[i + 1].Start : m_poolSize;
    return QStringView(m_pool + m_items[i].Start, static_cast<qsizetype>(end - m_items[i].Start));
}

void TWordListContent::Reserve(size_t units, size_t items)
{
    if (m_poolSize + units > m_poolCapacity) {
        m_poolCapacity = std::max(m_poolSize + units, m_poolCapacity + m_poolCapacity / 2);
        m_pool = resizeBlock(m_pool, m_poolCapacity);
    }
    if (m_count + items > m_itemCapacity) {
        m_itemCapacity = std::max(m_count + items, m_itemCapacity + m_itemCapacity / 2);
        m_items = resizeBlock(m_items, m_itemCapacity);
    }
}

void TWordListContent::Feed(QByteArrayView bytes, qsizetype sizeHint)
{
    // Every byte of a head word gives at most one UTF-16 unit, and a line
    // that is kept has at least four bytes besides its word ("\tA\tA").
    if (sizeHint > 0 && m_poolCapacity == 0)
        Reserve(static_cast<size_t>(sizeHint), static_cast<size_t>(sizeHint / 4 + 1));
    SplitIndexLines(bytes, [this](QByteArrayView line) {
        if (++m_lineNumber > 3)
            AddLine(line);
    });
}

void TWordListContent::AddLine(QByteArrayView line)
{
    QByteArrayView bytes;
    TLocation location;
    if (!ParseIndexLine(line, bytes, location))
        return;
    const QByteArrayView word = CapWordBytes(bytes);
    Reserve(static_cast<size_t>(word.size()), 1);
    TItem &item = m_items[m_count];
    item.Location = location;
    item.Start = static_cast<std::uint32_t>(m_poolSize);
    const qsizetype units = DecodeUtf8(word, m_pool + m_poolSize);
    const size_t size = units < 0 ? 0 : static_cast<size_t>(units);
    item.Hash = wordHash(QStringView(m_pool + m_poolSize, static_cast<qsizetype>(size)));
    m_poolSize += size;
    ++m_count;
}

void TWordListContent::Finish()
{
    m_pool = resizeBlock(m_pool, m_poolSize);
    m_poolCapacity = m_poolSize;
    m_items = resizeBlock(m_items, m_count);
    m_itemCapacity = m_count;
}

// ---- the exact table

namespace {

// Counting sort of the positions by the top bits of their hashes: two passes
// over the list, no comparison of words. Returns nullptr when stopped.
std::unique_ptr<TExactTable> buildExactTable(const TWordListContent &content, const std::atomic<bool> &stop)
{
    const auto count = static_cast<size_t>(content.Count());
    auto table = std::make_unique<TExactTable>();
    int bits = 4;
    // About four words a bucket.
    while (bits < 24 && (size_t{1} << (bits + 2)) < count)
        ++bits;
    table->Shift = 32 - bits;
    const size_t buckets = size_t{1} << bits;
    table->BucketStart = std::make_unique<std::uint32_t[]>(buckets + 1); // zeroed
    table->Positions = std::make_unique_for_overwrite<std::int32_t[]>(std::max<size_t>(count, 1));
    std::uint32_t *start = table->BucketStart.get();
    constexpr size_t kStopCheck = 1 << 16;
    for (size_t i = 0; i < count; ++i) {
        ++start[(content.Hash(static_cast<int>(i)) >> table->Shift) + 1];
        if (i % kStopCheck == 0 && stop.load(std::memory_order_relaxed))
            return nullptr;
    }
    for (size_t b = 0; b < buckets; ++b)
        start[b + 1] += start[b];
    std::vector<std::uint32_t> next(start, start + buckets);
    for (size_t i = 0; i < count; ++i) {
        table->Positions[next[content.Hash(static_cast<int>(i)) >> table->Shift]++] = static_cast<std::int32_t>(i);
        if (i % kStopCheck == 0 && stop.load(std::memory_order_relaxed))
            return nullptr;
    }
    return table;
}

// Lists up to this long build their table on the calling thread: a few
// milliseconds at most.
constexpr int kTableInline = 100000;

} // namespace

// ---- TWordList

TWordList::TWordList(QObject *parent)
    : QAbstractListModel(parent)
{
}

TWordList::~TWordList()
{
    StopTableBuild();
}

void TWordList::StopTableBuild()
{
    if (m_builder.joinable()) {
        m_stopBuild.store(true, std::memory_order_relaxed);
        m_builder.join();
    }
    m_stopBuild.store(false, std::memory_order_relaxed);
    m_table.store(nullptr, std::memory_order_release);
    m_ownedTable.reset();
}

void TWordList::FreeLocations()
{
    StopTableBuild();
    if (m_content.Count() == 0)
        return;
    beginResetModel();
    m_content = TWordListContent();
    endResetModel();
}

void TWordList::Fill(QByteArrayView bytes)
{
    TWordListContent content;
    content.Feed(bytes, bytes.size());
    content.Finish();
    Adopt(std::move(content));
}

void TWordList::Adopt(TWordListContent content)
{
    StopTableBuild();
    beginResetModel();
    m_content = std::move(content);
    endResetModel();
}

void TWordList::BuildExactTable()
{
    if (m_builder.joinable() || m_ownedTable || Count() == 0)
        return;
    if (Count() <= kTableInline) {
        const std::atomic<bool> never{false};
        m_ownedTable = buildExactTable(m_content, never);
        m_table.store(m_ownedTable.get(), std::memory_order_release);
        return;
    }
    // The content stays as it is until StopTableBuild has joined the thread.
    m_builder = std::thread([this] {
        std::unique_ptr<TExactTable> table = buildExactTable(m_content, m_stopBuild);
        if (!table)
            return;
        m_ownedTable = std::move(table);
        m_table.store(m_ownedTable.get(), std::memory_order_release);
    });
}

int TWordList::FindExact(QStringView key) const
{
    QString nfcKey;
    key = ToNfc(key, nfcKey);
    const std::uint32_t hash = FoldedHash(key);
    QString nfcWord;
    const auto matches = [&](int position) {
        return m_content.Hash(position) == hash && EqualIgnoringCase(ToNfc(WordView(position), nfcWord), key);
    };
    if (const TExactTable *table = m_table.load(std::memory_order_acquire)) {
        const size_t bucket = hash >> table->Shift;
        for (std::uint32_t i = table->BucketStart[bucket]; i < table->BucketStart[bucket + 1]; ++i) {
            if (matches(table->Positions[i]))
                return table->Positions[i];
        }
        return -1;
    }
    // Until the table is built: the same answer from the top of the list,
    // comparing hashes first.
    for (int position = 0; position < Count(); ++position) {
        if (matches(position))
            return position;
    }
    return -1;
}

int TWordList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Count();
}

QVariant TWordList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= Count())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole)
        return Word(index.row());
    return QVariant();
}

// ---- reading an index

bool ReadIndex(const QString &indexPath, TWordListContent &content, const std::atomic<bool> *stop)
{
    RequireRegularFile(indexPath);
    QFile file(indexPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(indexPath, file.errorString()));
    const qint64 size = file.size();
    ::posix_fadvise(file.handle(), 0, 0, POSIX_FADV_SEQUENTIAL);

    // Complete lines go to the parser; the start of a line that goes on in
    // the next chunk moves to the front of the buffer. A CR at the end of a
    // chunk waits too, since an LF after it belongs to the same line end.
    constexpr size_t kChunk = 1 << 20;
    std::vector<char> buffer(kChunk);
    size_t held = 0;
    bool first = true;
    for (;;) {
        if (stop && stop->load(std::memory_order_relaxed))
            return false;
        if (held == buffer.size())
            buffer.resize(buffer.size() * 2); // a line longer than the buffer
        const qint64 got = file.read(buffer.data() + held, static_cast<qint64>(buffer.size() - held));
        if (got < 0)
            throw Error(QStringLiteral("Cannot read file \"%1\". %2").arg(indexPath, file.errorString()));
        const size_t filled = held + static_cast<size_t>(got);
        const bool atEnd = got == 0;
        size_t complete = filled;
        if (!atEnd) {
            while (complete > 0 && buffer[complete - 1] != '\n' && buffer[complete - 1] != '\r')
                --complete;
            if (complete > 0 && buffer[complete - 1] == '\r')
                --complete;
        }
        content.Feed(QByteArrayView(buffer.data(), static_cast<qsizetype>(complete)),
                     first ? static_cast<qsizetype>(size) : 0);
        first = false;
        if (atEnd)
            break;
        held = filled - complete;
        std::memmove(buffer.data(), buffer.data() + complete, held);
    }
    content.Finish();
    return true;
}

void LoadIndex(const QString &indexPath, TWordList &list)
{
    list.FreeLocations();
    TWordListContent content;
    ReadIndex(indexPath, content);
    list.Adopt(std::move(content));
}

int FindNearest(QStringView key, const TWordList &list)
{
    return LowerBoundOfKey(key, list.Count(), [&list](int position) { return list.WordView(position); });
}

} // namespace lexivoce::dict
