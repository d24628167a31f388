#include "dict/text.h"

#include <cstring>

namespace lexivoce::dict {

int MarkerIndex(char byte)
{
    if (byte == '\0')
        return -1;
    const char *found = std::strchr(kMarkers, byte);
    return found ? static_cast<int>(found - kMarkers) : -1;
}

qsizetype DecodeUtf8(QByteArrayView bytes, char16_t *out)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    char16_t *o = out;
    auto isContinuation = [](unsigned char b) { return (b & 0xC0) == 0x80; };
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            *o++ = b;
            ++p;
        } else if (b >= 0xC2 && b <= 0xDF) {
            if (end - p < 2 || !isContinuation(p[1]))
                return -1;
            *o++ = static_cast<char16_t>(((b & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            if (end - p < 3 || !isContinuation(p[1]) || !isContinuation(p[2]))
                return -1;
            const char16_t c = static_cast<char16_t>(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6)
                                                     | (p[2] & 0x3F));
            if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))
                return -1;
            *o++ = c;
            p += 3;
        } else {
            return -1;
        }
    }
    return o - out;
}

QString DecodeUtf8(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    const qsizetype n = DecodeUtf8(bytes, reinterpret_cast<char16_t *>(text.data()));
    if (n < 0)
        return QString();
    text.truncate(n);
    return text;
}

QByteArrayView TrimBytes(QByteArrayView bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && IsTrimmed(static_cast<unsigned char>(bytes[begin])))
        ++begin;
    while (end > begin && IsTrimmed(static_cast<unsigned char>(bytes[end - 1])))
        --end;
    return bytes.sliced(begin, end - begin);
}

QByteArrayView CutAtCharacter(QByteArrayView bytes, qsizetype n)
{
    if (bytes.size() <= n)
        return bytes;
    // Back over at most three continuation bytes to the lead byte of the
    // character that starts before the cut and would go on after it.
    for (int back = 0; back < 3 && n > 0 && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80; ++back)
        --n;
    return bytes.first(n);
}

QStringView TrimText(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.sliced(begin, end - begin);
}

} // namespace lexivoce::dict
