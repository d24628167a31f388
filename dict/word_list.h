#pragma once

#include "dict/location.h"

#include <QAbstractListModel>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace lexivoce::dict {

// The word list of the active dictionary: one head word per index line with
// the TLocation of its entry, in index order. Words are held once, in one
// UTF-16 pool; the list view shows them through this model.
class TWordList : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit TWordList(QObject *parent = nullptr);

    int Count() const { return static_cast<int>(m_items.size()); }
    QString Word(int position) const { return WordView(position).toString(); }
    // Valid until the list is refilled.
    QStringView WordView(int position) const;
    TLocation Location(int position) const { return m_items[static_cast<size_t>(position)].Location; }

    // Empties the list (the words and their locations together).
    void FreeLocations();

    // Replaces the whole content with the lines of an index file (see
    // LoadIndex), in one model reset.
    void Fill(QByteArrayView indexBytes);

    // First position whose word equals key ignoring letter case, both in
    // normalisation form C, or -1.
    int FindExact(QStringView key) const;

    // QAbstractItemModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    struct TItem
    {
        std::uint32_t Start;
        std::uint32_t Size;
        TLocation Location;
    };

    void BuildExactIndex();

    std::vector<char16_t> m_pool;
    std::vector<TItem> m_items;
    // Open-addressing table of item positions by case-folded word, holding
    // the first position of each folded word; -1 marks a free slot.
    std::vector<std::int32_t> m_exact;
};

// The longest head word the list holds, in bytes of UTF-8. A longer one (only
// a damaged or hostile index has one) is cut before the character that
// crosses the limit, so that one line cannot hold the list view for seconds.
inline constexpr qsizetype kMaxWordBytes = 1024;

// bytes cut to at most kMaxWordBytes at a character boundary.
QByteArrayView CapWordBytes(QByteArrayView bytes);

// Fills list from the index file at indexPath: lines end at CR LF, LF or CR;
// the first three lines are skipped whatever they hold; a line without two
// TABs is skipped; the head word, capped, is decoded from UTF-8; the file's
// bytes are kept as they are. Throws lexivoce::Error when the path is not a
// regular file (checked before it is opened: a FIFO would block, a device
// never end) or the file cannot be read, leaving the list empty.
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

// Whether two words are equal as FindExact compares them.
bool SameWord(QStringView a, QStringView b);

// Whether entry (bytes fetched by a word's location) is that word's entry:
// it starts an entry ('@') and its head word, taken as the index takes it and
// capped as the list caps it, is the same word. False for the bytes a stale
// or damaged index points at.
bool IsEntryOf(QByteArrayView entry, QStringView word);

} // namespace lexivoce::dict
