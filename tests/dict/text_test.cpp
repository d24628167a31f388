#include "dict/index_number.h"
#include "dict/text.h"

#include <gtest/gtest.h>

namespace lexivoce::dict {
namespace {

TEST(DecodeUtf8, AcceptsOneToThreeByteSequencesAndRejectsBrokenPiecesWhole)
{
    struct Case
    {
        QByteArray Bytes;
        QString Text;
    };
    const std::vector<Case> cases = {
        {"", QString()},
        {"abc", QStringLiteral("abc")},
        {"ph\xC3\xB3 t\xE1\xBB\xAB", QStringLiteral("phó từ")},
        {"\xEF\xBF\xBF", QString(QChar(0xFFFF))},
        {"ok \xC3", QString()},             // truncated two-byte sequence
        {"\xE1\xBB", QString()},            // truncated three-byte sequence
        {"\xC3(", QString()},               // lead byte without continuation
        {"a\x80", QString()},               // stray continuation byte
        {"\xF0\x9F\x98\x80", QString()},    // four-byte sequence
        {"\xC0\xAF", QString()},            // overlong '/'
        {"\xE0\x80\xAF", QString()},        // overlong '/'
        {"\xED\xA0\x80", QString()},        // encoded surrogate
        {"\xE9\xE9\xE9", QString()},        // 8-bit code page text
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Bytes.toHex().constData());
        EXPECT_EQ(DecodeUtf8(c.Bytes), c.Text);
    }
}

TEST(TrimBytes, RemovesCodesZeroToThirtyTwoAtBothEndsOnly)
{
    EXPECT_EQ(TrimBytes(QByteArrayView("\t\r\n \x01 a b \x00\x1F", 12)), QByteArrayView("a b"));
    EXPECT_EQ(TrimBytes("\x7F" "x\xA0"), QByteArrayView("\x7F" "x\xA0"));
    EXPECT_TRUE(TrimBytes("  \r\n").isEmpty());
    EXPECT_EQ(TrimText(u"\u00A0 x \u3000"), QStringView(u"\u00A0 x \u3000"));
}

TEST(IndexNumber, EncodesBase64DigitsMostSignificantFirst)
{
    const std::vector<std::pair<std::int32_t, const char *>> cases = {
        {0, "A"}, {25, "Z"}, {26, "a"}, {51, "z"}, {52, "0"}, {61, "9"}, {62, "+"}, {63, "/"},
        {64, "BA"}, {100, "Bk"}, {4095, "//"}, {4096, "BAA"}, {0x7FFFFFFF, "B/////"},
    };
    for (const auto &[value, digits] : cases) {
        EXPECT_EQ(EncodeIndexNumber(value), QByteArray(digits)) << value;
        EXPECT_EQ(DecodeIndexNumber(digits), value) << digits;
    }
}

TEST(IndexNumber, DecodingSkipsCharactersOutsideTheAlphabet)
{
    EXPECT_EQ(DecodeIndexNumber("B\rk"), 100);
    EXPECT_EQ(DecodeIndexNumber(" Bk\t"), 100);
    EXPECT_EQ(DecodeIndexNumber(""), 0);
    EXPECT_EQ(DecodeIndexNumber("-=*"), 0);
    // Too many digits wrap instead of overflowing.
    EXPECT_EQ(DecodeIndexNumber("BAAAAA"), 1 << 30);
    EXPECT_NO_FATAL_FAILURE(DecodeIndexNumber("//////////////"));
}

} // namespace
} // namespace lexivoce::dict
