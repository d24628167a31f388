#include "dict/word_fold.h"

#include <QChar>

#include <array>
#include <bitset>
#include <memory>

namespace lexivoce::dict {

namespace {

constexpr std::uint32_t kHashStart = 2166136261u;
constexpr std::uint32_t kHashFactor = 16777619u;

// The characters of the Basic Multilingual Plane that can make a text
// change under normalisation form C: combining marks, characters that NFC
// replaces, characters that compose with the one before them (the second of
// a canonical pair, Hangul vowels and final consonants), and surrogates
// (which stand for characters beyond the plane). A text without any is in
// form C already. Vietnamese precomposed letters are not among them, so
// words in either language are seldom copied.
class TNfcAttention
{
public:
    TNfcAttention()
    {
        for (char32_t c = 0; c <= 0xFFFF; ++c) {
            if (QChar::combiningClass(c) != 0 || QChar::isSurrogate(c)) {
                m_bits.set(c);
                continue;
            }
            if (QChar::decompositionTag(c) != QChar::Canonical)
                continue;
            const QString decomposed = QChar::decomposition(c);
            const QString self = QString(QChar(static_cast<char16_t>(c)));
            if (self.normalized(QString::NormalizationForm_C) != self)
                m_bits.set(c);
            // The decomposition's last character composes with the one
            // before it.
            if (decomposed.size() >= 2 && !decomposed.back().isSurrogate())
                m_bits.set(decomposed.back().unicode());
        }
        for (char32_t c = 0x1161; c <= 0x1175; ++c) // Hangul vowels
            m_bits.set(c);
        for (char32_t c = 0x11A8; c <= 0x11C2; ++c) // Hangul final consonants
            m_bits.set(c);
    }

    bool Test(char16_t c) const { return m_bits.test(c); }

private:
    std::bitset<0x10000> m_bits;
};

const TNfcAttention &nfcAttention()
{
    // Built once, on first use, from Qt's Unicode tables (thread-safe static).
    static const TNfcAttention table;
    return table;
}

// Steps through text's case-folded code points.
class TFolded
{
public:
    explicit TFolded(QStringView text) : m_p(text.utf16()), m_end(m_p + text.size()) {}

    bool AtEnd() const { return m_p == m_end; }

    char32_t Next()
    {
        char32_t c = *m_p++;
        // Most words are ASCII: folded without a table look-up.
        if (c < 0x80)
            return c >= 'A' && c <= 'Z' ? c + 32 : c;
        if (QChar::isHighSurrogate(c) && m_p != m_end && QChar::isLowSurrogate(*m_p))
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), *m_p++);
        return QChar::toCaseFolded(c);
    }

private:
    const char16_t *m_p;
    const char16_t *m_end;
};

} // namespace

QStringView ToNfc(QStringView text, QString &storage)
{
    const TNfcAttention *attention = nullptr;
    for (const QChar c : text) {
        if (c.unicode() < 0x300)
            continue;
        if (!attention)
            attention = &nfcAttention();
        if (attention->Test(c.unicode())) {
            storage = text.toString().normalized(QString::NormalizationForm_C);
            return storage;
        }
    }
    return text;
}

std::uint32_t FoldedHash(QStringView text)
{
    std::uint32_t hash = kHashStart;
    for (TFolded folded(text); !folded.AtEnd();)
        hash = (hash ^ static_cast<std::uint32_t>(folded.Next())) * kHashFactor;
    return hash;
}

bool EqualIgnoringCase(QStringView a, QStringView b)
{
    TFolded x(a);
    TFolded y(b);
    while (!x.AtEnd() && !y.AtEnd()) {
        if (x.Next() != y.Next())
            return false;
    }
    return x.AtEnd() && y.AtEnd();
}

bool SameWord(QStringView a, QStringView b)
{
    QString nfcA;
    QString nfcB;
    return EqualIgnoringCase(ToNfc(a, nfcA), ToNfc(b, nfcB));
}

bool FoldsAsItLowers(QStringView text)
{
    QString storage;
    const QStringView nfc = ToNfc(text, storage);
    const QString lowered = nfc.toString().toLower();
    if (lowered != LoweredKey(text))
        return false;
    QString folded;
    folded.reserve(nfc.size());
    for (TFolded f(nfc); !f.AtEnd();) {
        const char32_t c = f.Next();
        folded.append(QChar::fromUcs4(c));
    }
    return folded == lowered;
}

QString LoweredKey(QStringView key)
{
    QString storage;
    const QString lowered = key.toString().toLower();
    const QStringView nfc = ToNfc(lowered, storage);
    return nfc.data() == lowered.data() ? lowered : storage;
}

bool LoweredLess(QStringView word, QStringView loweredKey)
{
    // Most words are ASCII: lower-cased on the fly, they need no copy.
    const qsizetype n = word.size();
    qsizetype i = 0;
    for (; i < n; ++i) {
        const char16_t c = word[i].unicode();
        if (c >= 0x80)
            break;
        if (i == loweredKey.size())
            return false; // the key is a prefix of the word
        const char16_t lower = c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c;
        const char16_t k = loweredKey[i].unicode();
        if (lower != k) {
            // A combining mark after it would make it another letter.
            if (i + 1 < n && word[i + 1].unicode() >= 0x300)
                break;
            return lower < k;
        }
    }
    if (i == n)
        return n < loweredKey.size();
    QString storage;
    const QString lowered = QString::fromRawData(word.data(), n).toLower();
    return ToNfc(lowered, storage) < loweredKey;
}

} // namespace lexivoce::dict
