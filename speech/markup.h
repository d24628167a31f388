#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <vector>

namespace lexivoce::speech {

// A piece of an utterance spoken with one voice and one pitch.
struct TSpeechSegment
{
    QString Text;              // markup removed, entities decoded
    std::vector<int> Origin;   // for each UTF-16 unit of Text, its offset in the original text
    int End = 0;               // offset in the original text just past the segment's last unit
    QString VoiceName;         // empty: the voice object's current voice
    int Pitch = 0;             // -10..10
    bool HasPitch = false;     // false: no pitch markup seen yet (engine default)
    bool Spell = false;        // inside <spell>: punctuation and signs are named

    bool operator==(const TSpeechSegment &) const = default;
};

// Splits text into segments by its markup (see TVoiceObject). Adjacent text
// with the same voice, pitch and spelling forms one segment unless a
// <silence/> stands between; segments with empty Text are left out. Unknown tags are dropped; a '<' that starts no tag (followed
// by a blank, a digit, '=' or the end) is text; a tag that is never closed
// by '>' drops the rest of the text; an unknown entity stays as text. Pitch
// values are clamped to -10..10; a pitch value that is not a number is
// ignored. Never throws.
QList<TSpeechSegment> ParseSpeechMarkup(QStringView text);

// text with '&', '<', '>' and both quotation marks written as entities, so
// that a typed word or an entry is spoken as it stands and never read as
// markup. TUtterance (utterance.h) is the one place that calls it.
QString EscapeMarkup(QStringView text);

// The whole text as one plain segment (no markup read).
TSpeechSegment PlainSegment(QStringView text);

// A segment cut into pieces at sentence ends (after '.', '!', '?', ';' or a
// line break followed by white space), each at most about maxUnits long
// where the text allows (a longer sentence is cut at a blank), so that a
// long utterance never holds the engine for long. Pieces keep their origins.
QList<TSpeechSegment> SplitForSynthesis(const TSpeechSegment &segment, int maxUnits = 400);

// Text for the engine: NFC-normalized UTF-8 (decomposed Vietnamese letters
// otherwise break the engine's word positions), with the origin, in the
// original text, of each code point: CodePointOrigin[i] is the original
// offset of the i-th (0-based) code point; one extra element at the end holds
// the segment's End, for lengths. A letter composed from several code points
// takes the origin of its first.
struct TEngineText
{
    QByteArray Utf8;
    std::vector<int> CodePointOrigin;
};
TEngineText PrepareForEngine(const TSpeechSegment &segment);

} // namespace lexivoce::speech
