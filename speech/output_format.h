#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace lexivoce::speech {

// Wave formats of file output, in the engine's order: a member's engine
// value is its ordinal minus 1 (ofDefault is -1, of11kHz16BitMono is 10).
enum TOutputFormat : std::uint8_t {
    ofDefault, ofNoAssignedFormat, ofText, ofNonStandardFormat, ofExtendedAudioFormat,
    of8kHz8BitMono, of8kHz8BitStereo, of8kHz16BitMono, of8kHz16BitStereo,
    of11kHz8BitMono, of11kHz8BitStereo, of11kHz16BitMono, of11kHz16BitStereo,
    of12kHz8BitMono, of12kHz8BitStereo, of12kHz16BitMono, of12kHz16BitStereo,
    of16kHz8BitMono, of16kHz8BitStereo, of16kHz16BitMono, of16kHz16BitStereo,
    of22kHz8BitMono, of22kHz8BitStereo, of22kHz16BitMono, of22kHz16BitStereo,
    of24kHz8BitMono, of24kHz8BitStereo, of24kHz16BitMono, of24kHz16BitStereo,
    of32kHz8BitMono, of32kHz8BitStereo, of32kHz16BitMono, of32kHz16BitStereo,
    of44kHz8BitMono, of44kHz8BitStereo, of44kHz16BitMono, of44kHz16BitStereo,
    of48kHz8BitMono, of48kHz8BitStereo, of48kHz16BitMono, of48kHz16BitStereo,
    ofTrueSpeech_8kHz1BitMono,
    ofCCITT_ALaw_8kHzMono, ofCCITT_ALaw_8kHzStereo, ofCCITT_ALaw_11kHzMono, ofCCITT_ALaw_11kHzStereo,
    ofCCITT_ALaw_22kHzMono, ofCCITT_ALaw_22kHzStereo, ofCCITT_ALaw_44kHzMono, ofCCITT_ALaw_44kHzStereo,
    ofCCITT_uLaw_8kHzMono, ofCCITT_uLaw_8kHzStereo, ofCCITT_uLaw_11kHzMono, ofCCITT_uLaw_11kHzStereo,
    ofCCITT_uLaw_22kHzMono, ofCCITT_uLaw_22kHzStereo, ofCCITT_uLaw_44kHzMono, ofCCITT_uLaw_44kHzStereo,
    ofADPCM_8kHzMono, ofADPCM_8kHzStereo, ofADPCM_11kHzMono, ofADPCM_11kHzStereo,
    ofADPCM_22kHzMono, ofADPCM_22kHzStereo, ofADPCM_44kHzMono, ofADPCM_44kHzStereo,
    ofGSM610_8kHzMono, ofGSM610_11kHzMono, ofGSM610_22kHzMono, ofGSM610_44kHzMono,
};

inline constexpr int kOutputFormatCount = ofGSM610_44kHzMono + 1; // 70

constexpr int EngineFormatType(TOutputFormat format) { return static_cast<int>(format) - 1; }

// "of11kHz16BitMono" etc.; empty for a value out of range.
QString OutputFormatName(int ordinal);
// The member named name (exact), or nullopt.
std::optional<TOutputFormat> OutputFormatFromName(const QString &name);

// What a wave file of an engine format type holds.
struct TWaveFormat
{
    int SampleRate = 0;  // Hz
    int Channels = 0;    // 1 or 2
    int SndFileFormat = 0; // libsndfile major | minor format
};

// The wave format of an engine format type, or nullopt when it cannot be
// written (no assigned format, text, non-standard, extended, TrueSpeech, or
// out of range). ofDefault writes the engine's own rate, 16-bit mono.
std::optional<TWaveFormat> WaveFormatOf(int engineFormatType, int engineSampleRate);

} // namespace lexivoce::speech
