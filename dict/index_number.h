#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

namespace lexivoce::dict {

// Index digits: a non-negative 32-bit number in base 64, most significant
// digit first, over the alphabet A-Z a-z 0-9 + / (A = 0, / = 63). No padding
// and no leading zero digits; 0 is the single digit "A".
inline constexpr char kIndexDigits[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// value must not be negative (a negative value is encoded as 0).
QByteArray EncodeIndexNumber(std::int32_t value);

// Appends the digits of value to out without a temporary string.
void AppendIndexNumber(QByteArray &out, std::uint32_t value);

// Characters outside the alphabet are skipped (a stray CR, blank or TAB in a
// number field is ignored); an empty text gives 0. Arithmetic wraps at 32
// bits, as the stored numbers never need more than six digits.
std::int32_t DecodeIndexNumber(QByteArrayView text);

} // namespace lexivoce::dict
