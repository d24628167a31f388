// Feeds arbitrary text to the markup parser, then cuts and prepares every
// segment for the engine, checking that each origin points into the text and
// that the engine text has one origin per code point.
#include "speech/markup.h"

#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace lexivoce::speech;

// The line of a failed check, for the crash report.
void check(bool condition, int line = __builtin_LINE())
{
    if (!condition) {
        std::fprintf(stderr, "check failed at line %d\n", line);
        std::abort();
    }
}

// Code points in the UTF-8 the engine gets; -1 when it is not valid UTF-8 or
// holds a NUL.
qsizetype codePointCount(const QByteArray &utf8)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString decoded = decoder(utf8);
    if (decoder.hasError() || decoded.contains(QChar(0)))
        return -1;
    return std::count_if(utf8.begin(), utf8.end(), [](char byte) { return (byte & 0xC0) != 0x80; });
}

void checkSegment(const TSpeechSegment &segment, qsizetype textSize, int maxUnits)
{
    check(!segment.Text.isEmpty());
    check(segment.Origin.size() == size_t(segment.Text.size()));
    check(segment.End <= textSize && segment.End > segment.Origin.back());
    check(segment.HasPitch || segment.Pitch == 0);
    check(segment.Pitch >= -10 && segment.Pitch <= 10);

    const QList<TSpeechSegment> pieces = SplitForSynthesis(segment, maxUnits);
    QString joined;
    std::vector<int> origins;
    for (qsizetype k = 0; k < pieces.size(); ++k) {
        const TSpeechSegment &piece = pieces[k];
        check(!piece.Text.isEmpty());
        check(piece.Text.size() <= std::max(maxUnits, 2));
        check(piece.Origin.size() == size_t(piece.Text.size()));
        check(piece.End == (k + 1 < pieces.size() ? pieces[k + 1].Origin.front() : segment.End));
        check(piece.VoiceName == segment.VoiceName && piece.Pitch == segment.Pitch
              && piece.HasPitch == segment.HasPitch);
        joined += piece.Text;
        origins.insert(origins.end(), piece.Origin.begin(), piece.Origin.end());

        const TEngineText engineText = PrepareForEngine(piece);
        check(qsizetype(engineText.CodePointOrigin.size()) == codePointCount(engineText.Utf8) + 1);
        check(engineText.CodePointOrigin.back() == piece.End);
        int previous = piece.Origin.front();
        for (size_t i = 0; i + 1 < engineText.CodePointOrigin.size(); ++i) {
            const int origin = engineText.CodePointOrigin[i];
            check(origin >= previous && origin < piece.End);
            previous = origin;
        }
    }
    check(joined == segment.Text);
    check(origins == segment.Origin);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the encoding and the piece length, so that both
    // lone surrogates and short cuts get exercised.
    const uint8_t mode = data[0];
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    QString text;
    if (mode & 1) {
        text.resize(length / 2);
        std::memcpy(text.data(), bytes, size_t(text.size()) * sizeof(char16_t));
    } else {
        text = QString::fromUtf8(bytes, length);
    }
    const int maxUnits = 1 + (mode >> 1) % 64;

    const QList<TSpeechSegment> segments = ParseSpeechMarkup(text);
    int previous = 0;
    for (const TSpeechSegment &segment : segments) {
        check(segment.Origin.size() == size_t(segment.Text.size()));
        for (int origin : segment.Origin) {
            check(origin >= previous && origin < text.size());
            previous = origin;
        }
        checkSegment(segment, text.size(), maxUnits);
    }

    if (!text.isEmpty())
        checkSegment(PlainSegment(text), text.size(), maxUnits);
    return 0;
}
