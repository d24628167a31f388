#pragma once

#include "dict/location.h"
#include "dict/word_fold.h"

#include <QAbstractListModel>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace lexivoce::dict {

// The longest head word the list holds, in bytes of UTF-8. A longer one (only
// a damaged or hostile index has one) is cut before the character that
// crosses the limit, so that one line cannot hold the list view for seconds.
inline constexpr qsizetype kMaxWordBytes = 1024;

// The words of an index file, parsed: one head word per line from the fourth
// on with the TLocation of its entry, in index order. Words are held once, in
// one UTF-16 pool, each with the hash of its case-folded form. Built on any
// thread and handed whole to a TWordList.
class TWordListContent
{
public:
    TWordListContent();
    ~TWordListContent();
    TWordListContent(TWordListContent &&other) noexcept;
    TWordListContent &operator=(TWordListContent &&other) noexcept;

    // Parses bytes (an index file, or its next lines: see Feed) as LoadIndex
    // reads an index. sizeHint, when known, is the file's size: the memory
    // is then taken once, as address space that only the words fill.
    void Feed(QByteArrayView completeLines, qsizetype sizeHint = 0);
    // Releases what the parse reserved and did not use.
    void Finish();

    int Count() const { return static_cast<int>(m_count); }
    QStringView Word(int position) const;
    TLocation Location(int position) const { return m_items[position].Location; }
    std::uint32_t Hash(int position) const { return m_items[position].Hash; }

private:
    friend class TWordList;

    struct TItem
    {
        std::uint32_t Start; // in the pool; the word ends where the next begins
        std::uint32_t Hash;  // FoldedHash of the word in form C
        TLocation Location;
    };

    void Reserve(size_t units, size_t items);
    void AddLine(QByteArrayView line);

    char16_t *m_pool = nullptr;
    size_t m_poolSize = 0;
    size_t m_poolCapacity = 0;
    TItem *m_items = nullptr;
    size_t m_count = 0;
    size_t m_itemCapacity = 0;
    int m_lineNumber = 0;
};

// The positions of the words by the hash of their case-folded form, for
// FindExact: buckets of positions in list order, so that the first word of
// a bucket that matches is the one nearest the top.
struct TExactTable
{
    int Shift = 32;
    std::unique_ptr<std::uint32_t[]> BucketStart; // (1 << (32 - Shift)) + 1 of them
    std::unique_ptr<std::int32_t[]> Positions;
};

// The word list of the active dictionary, as the list view shows it.
class TWordList : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit TWordList(QObject *parent = nullptr);
    ~TWordList() override;

    int Count() const { return m_content.Count(); }
    QString Word(int position) const { return WordView(position).toString(); }
    // Valid until the list is refilled.
    QStringView WordView(int position) const { return m_content.Word(position); }
    TLocation Location(int position) const { return m_content.Location(position); }

    // Empties the list (the words and their locations together).
    void FreeLocations();

    // Replaces the whole content with the lines of an index file (see
    // LoadIndex), in one model reset.
    void Fill(QByteArrayView indexBytes);

    // Replaces the whole content with words parsed elsewhere, in one model
    // reset.
    void Adopt(TWordListContent content);

    // Builds the table that makes FindExact fast, on a thread of its own for
    // a long list; until it is there FindExact walks the list, with the same
    // result. Built once per content; a refill stops a build under way.
    void BuildExactTable();
    bool HasExactTable() const { return m_table.load(std::memory_order_acquire) != nullptr; }

    // First position whose word equals key ignoring letter case, both in
    // normalisation form C, or -1.
    int FindExact(QStringView key) const;

    // QAbstractItemModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void StopTableBuild();

    TWordListContent m_content;
    std::unique_ptr<TExactTable> m_ownedTable;
    std::atomic<const TExactTable *> m_table{nullptr};
    std::atomic<bool> m_stopBuild{false};
    std::thread m_builder;
};

// bytes cut to at most kMaxWordBytes at a character boundary.
QByteArrayView CapWordBytes(QByteArrayView bytes);

// Reads the index file at path whole, in chunks of complete lines, into
// content: lines end at CR LF, LF or CR; the first three lines are skipped
// whatever they hold; a line without two TABs is skipped; the head word,
// capped, is decoded from UTF-8; the file's bytes are kept as they are.
// stop, when given, is checked between chunks; the read then ends early and
// returns false. Throws lexivoce::Error when the path is not a regular file
// (checked before it is opened: a FIFO would block, a device never end) or
// the file cannot be read.
bool ReadIndex(const QString &indexPath, TWordListContent &content, const std::atomic<bool> *stop = nullptr);

// Fills list from the index file at indexPath (see ReadIndex), leaving the
// list empty when it throws.
void LoadIndex(const QString &indexPath, TWordList &list);

// Position of the first word that is not less than key, both lower-cased,
// in normalisation form C and compared by UTF-16 code units; the count when
// every word is less. The key is not trimmed. Right only when the list is in
// that order.
int FindNearest(QStringView key, const TWordList &list);

// The first word from the top that equals key ignoring letter case, both in
// normalisation form C (a precomposed "cà phê" finds a decomposed one and the
// reverse); no trimming, no partial match; -1 when there is none.
inline int FindExact(QStringView key, const TWordList &list) { return list.FindExact(key); }

// Whether entry (bytes fetched by a word's location) is that word's entry:
// it starts an entry ('@') and its head word, taken as the index takes it and
// capped as the list caps it, is the same word. False for the bytes a stale
// or damaged index points at.
bool IsEntryOf(QByteArrayView entry, QStringView word);

} // namespace lexivoce::dict
