#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace lexivoce::dict {

// The line markers of a dictionary entry. A marker's position in this string
// is the text style of its line; the position capped at 4 its paragraph style.
inline constexpr char kMarkers[] = "@*-!=+/";

// Position of byte in kMarkers (0..6), or -1 when it is no marker.
int MarkerIndex(char byte);

// Decodes UTF-8 of one to three bytes per character (the Basic Multilingual
// Plane). A piece with any malformed sequence (truncated, a lead byte without
// its continuation bytes, a stray continuation byte, an overlong form, an
// encoded surrogate or a four-byte sequence) is rejected whole and gives empty
// text. NUL bytes decode as U+0000.
QString DecodeUtf8(QByteArrayView bytes);

// The same decoder writing into out, which must hold bytes.size() units.
// Returns the number of UTF-16 units written, or -1 when the piece is rejected.
qsizetype DecodeUtf8(QByteArrayView bytes, char16_t *out);

// Removes leading and trailing characters with codes 0 to 32, nothing else.
QByteArrayView TrimBytes(QByteArrayView bytes);
QStringView TrimText(QStringView text);

inline bool IsTrimmed(unsigned char byte) { return byte <= 32; }

// The first n bytes of UTF-8 bytes (all of them when there are no more),
// less the start of a character that the cut would split.
QByteArrayView CutAtCharacter(QByteArrayView bytes, qsizetype n);

} // namespace lexivoce::dict
