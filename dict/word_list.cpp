#include "dict/word_list.h"

#include "dict/dict_file.h"
#include "dict/index_number.h"
#include "dict/text.h"
#include "lang/error.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace lexivoce::dict {

namespace {

// Text in Unicode normalisation form C. Nothing below U+0300 composes or
// decomposes, so most words are used as they are, without a copy; storage
// holds the normalised copy when one is needed.
QStringView toNfc(QStringView text, QString &storage)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x300) {
            storage = text.toString().normalized(QString::NormalizationForm_C);
            return storage;
        }
    }
    return text;
}

// Calls f(codePoint) for the case-folded code points of text.
template<typename F>
void forEachFolded(QStringView text, F f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), text[++i].unicode());
        f(QChar::toCaseFolded(c));
    }
}

std::uint32_t foldedHash(QStringView text)
{
    std::uint32_t hash = 2166136261u;
    forEachFolded(text, [&](char32_t c) {
        hash = (hash ^ static_cast<std::uint32_t>(c)) * 16777619u;
    });
    return hash;
}

// a and b are in normalisation form C.
bool equalIgnoringCase(QStringView a, QStringView b)
{
    std::u32string folded;
    folded.reserve(static_cast<size_t>(a.size()));
    forEachFolded(a, [&](char32_t c) { folded.push_back(c); });
    size_t i = 0;
    bool equal = true;
    forEachFolded(b, [&](char32_t c) {
        if (!equal || i >= folded.size() || folded[i] != c)
            equal = false;
        ++i;
    });
    return equal && i == folded.size();
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

} // namespace

QByteArrayView CapWordBytes(QByteArrayView bytes)
{
    return CutAtCharacter(bytes, kMaxWordBytes);
}

bool SameWord(QStringView a, QStringView b)
{
    QString nfcA;
    QString nfcB;
    return equalIgnoringCase(toNfc(a, nfcA), toNfc(b, nfcB));
}

bool IsEntryOf(QByteArrayView entry, QStringView word)
{
    if (entry.isEmpty() || entry.front() != '@')
        return false;
    return SameWord(DecodeUtf8(headWordBytes(entry)), word);
}

TWordList::TWordList(QObject *parent)
    : QAbstractListModel(parent)
{
}

QStringView TWordList::WordView(int position) const
{
    const TItem &item = m_items[static_cast<size_t>(position)];
    return QStringView(m_pool.data() + item.Start, static_cast<qsizetype>(item.Size));
}

void TWordList::FreeLocations()
{
    if (m_items.empty() && m_pool.empty())
        return;
    beginResetModel();
    std::vector<char16_t>().swap(m_pool);
    std::vector<TItem>().swap(m_items);
    std::vector<std::int32_t>().swap(m_exact);
    endResetModel();
}

void TWordList::Fill(QByteArrayView bytes)
{
    beginResetModel();
    m_pool.clear();
    m_items.clear();
    // Every byte of a head word gives at most one UTF-16 unit.
    m_pool.resize(static_cast<size_t>(bytes.size()));
    m_items.reserve(static_cast<size_t>(bytes.size() / 24));

    const char *p = bytes.data();
    const char *end = p + bytes.size();
    size_t poolSize = 0;
    int lineNumber = 0;
    while (p < end) {
        const char *lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r')
            ++lineEnd;
        const QByteArrayView line(p, lineEnd - p);
        p = lineEnd;
        if (p < end && *p++ == '\r' && p < end && *p == '\n')
            ++p;
        if (++lineNumber <= 3)
            continue;

        const qsizetype tab1 = line.indexOf('\t');
        if (tab1 < 0)
            continue;
        const QByteArrayView rest = line.sliced(tab1 + 1);
        const qsizetype tab2 = rest.indexOf('\t');
        if (tab2 < 0)
            continue;
        TItem item{};
        item.Location.Offset = DecodeIndexNumber(rest.first(tab2));
        item.Location.Length = DecodeIndexNumber(rest.sliced(tab2 + 1));
        const qsizetype units = DecodeUtf8(CapWordBytes(line.first(tab1)), m_pool.data() + poolSize);
        item.Start = static_cast<std::uint32_t>(poolSize);
        item.Size = units < 0 ? 0 : static_cast<std::uint32_t>(units);
        poolSize += item.Size;
        m_items.push_back(item);
    }
    m_pool.resize(poolSize);
    m_pool.shrink_to_fit();
    m_items.shrink_to_fit();
    BuildExactIndex();
    endResetModel();
}

void TWordList::BuildExactIndex()
{
    m_exact.clear();
    if (m_items.empty())
        return;
    size_t capacity = 16;
    while (capacity < m_items.size() * 2)
        capacity *= 2;
    m_exact.assign(capacity, -1);
    const size_t mask = capacity - 1;
    QString nfcWord;
    QString nfcHeld;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const QStringView word = toNfc(WordView(static_cast<int>(i)), nfcWord);
        for (size_t slot = foldedHash(word) & mask;; slot = (slot + 1) & mask) {
            const std::int32_t held = m_exact[slot];
            if (held < 0) {
                m_exact[slot] = static_cast<std::int32_t>(i);
                break;
            }
            if (equalIgnoringCase(toNfc(WordView(held), nfcHeld), word))
                break; // the word nearer the top stays
        }
    }
}

int TWordList::FindExact(QStringView key) const
{
    if (m_exact.empty())
        return -1;
    QString nfcKey;
    QString nfcHeld;
    key = toNfc(key, nfcKey);
    const size_t mask = m_exact.size() - 1;
    for (size_t slot = foldedHash(key) & mask;; slot = (slot + 1) & mask) {
        const std::int32_t held = m_exact[slot];
        if (held < 0)
            return -1;
        if (equalIgnoringCase(toNfc(WordView(held), nfcHeld), key))
            return held;
    }
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

void LoadIndex(const QString &indexPath, TWordList &list)
{
    list.FreeLocations();
    RequireRegularFile(indexPath);
    QFile file(indexPath);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(indexPath, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Cannot read file \"%1\". %2").arg(indexPath, file.errorString()));
    list.Fill(bytes);
}

int FindNearest(QStringView key, const TWordList &list)
{
    QString nfcKey;
    QString nfcWord;
    const QString loweredKey = key.toString().toLower();
    const QStringView lowered = toNfc(loweredKey, nfcKey);
    int low = 0;
    int high = list.Count() - 1;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        const QStringView word = list.WordView(middle);
        const QString loweredWord = QString::fromRawData(word.data(), word.size()).toLower();
        if (toNfc(loweredWord, nfcWord) < lowered)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return low;
}

} // namespace lexivoce::dict
