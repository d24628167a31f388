#include "dict/index_number.h"

#include <array>

namespace lexivoce::dict {

namespace {

constexpr std::array<signed char, 256> makeDigitValues()
{
    std::array<signed char, 256> values{};
    for (auto &v : values)
        v = -1;
    for (int i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(kIndexDigits[i])] = static_cast<signed char>(i);
    return values;
}

constexpr auto kDigitValues = makeDigitValues();

} // namespace

void AppendIndexNumber(QByteArray &out, std::uint32_t value)
{
    char digits[8];
    int n = 0;
    do {
        digits[n++] = kIndexDigits[value % 64];
        value /= 64;
    } while (value != 0);
    while (n > 0)
        out.append(digits[--n]);
}

QByteArray EncodeIndexNumber(std::int32_t value)
{
    QByteArray out;
    AppendIndexNumber(out, value < 0 ? 0u : static_cast<std::uint32_t>(value));
    return out;
}

std::int32_t DecodeIndexNumber(QByteArrayView text)
{
    std::uint32_t sum = 0;
    std::uint32_t weight = 1;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const int digit = kDigitValues[static_cast<unsigned char>(text[i])];
        if (digit < 0)
            continue;
        sum += static_cast<std::uint32_t>(digit) * weight;
        weight *= 64;
    }
    return static_cast<std::int32_t>(sum);
}

} // namespace lexivoce::dict
