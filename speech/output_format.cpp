#include "speech/output_format.h"

#include <sndfile.h>

#include <array>

namespace lexivoce::speech {

namespace {

// In the order of TOutputFormat.
constexpr std::array<const char *, kOutputFormatCount> kNames = {
    "ofDefault", "ofNoAssignedFormat", "ofText", "ofNonStandardFormat", "ofExtendedAudioFormat",
    "of8kHz8BitMono", "of8kHz8BitStereo", "of8kHz16BitMono", "of8kHz16BitStereo",
    "of11kHz8BitMono", "of11kHz8BitStereo", "of11kHz16BitMono", "of11kHz16BitStereo",
    "of12kHz8BitMono", "of12kHz8BitStereo", "of12kHz16BitMono", "of12kHz16BitStereo",
    "of16kHz8BitMono", "of16kHz8BitStereo", "of16kHz16BitMono", "of16kHz16BitStereo",
    "of22kHz8BitMono", "of22kHz8BitStereo", "of22kHz16BitMono", "of22kHz16BitStereo",
    "of24kHz8BitMono", "of24kHz8BitStereo", "of24kHz16BitMono", "of24kHz16BitStereo",
    "of32kHz8BitMono", "of32kHz8BitStereo", "of32kHz16BitMono", "of32kHz16BitStereo",
    "of44kHz8BitMono", "of44kHz8BitStereo", "of44kHz16BitMono", "of44kHz16BitStereo",
    "of48kHz8BitMono", "of48kHz8BitStereo", "of48kHz16BitMono", "of48kHz16BitStereo",
    "ofTrueSpeech_8kHz1BitMono",
    "ofCCITT_ALaw_8kHzMono", "ofCCITT_ALaw_8kHzStereo", "ofCCITT_ALaw_11kHzMono", "ofCCITT_ALaw_11kHzStereo",
    "ofCCITT_ALaw_22kHzMono", "ofCCITT_ALaw_22kHzStereo", "ofCCITT_ALaw_44kHzMono", "ofCCITT_ALaw_44kHzStereo",
    "ofCCITT_uLaw_8kHzMono", "ofCCITT_uLaw_8kHzStereo", "ofCCITT_uLaw_11kHzMono", "ofCCITT_uLaw_11kHzStereo",
    "ofCCITT_uLaw_22kHzMono", "ofCCITT_uLaw_22kHzStereo", "ofCCITT_uLaw_44kHzMono", "ofCCITT_uLaw_44kHzStereo",
    "ofADPCM_8kHzMono", "ofADPCM_8kHzStereo", "ofADPCM_11kHzMono", "ofADPCM_11kHzStereo",
    "ofADPCM_22kHzMono", "ofADPCM_22kHzStereo", "ofADPCM_44kHzMono", "ofADPCM_44kHzStereo",
    "ofGSM610_8kHzMono", "ofGSM610_11kHzMono", "ofGSM610_22kHzMono", "ofGSM610_44kHzMono",
};

// Rates of the PCM members, four members (8/16 bit × mono/stereo) each.
constexpr std::array<int, 9> kPcmRates = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
// Rates of the A-law, µ-law and ADPCM members (mono and stereo each) and of
// the GSM members (mono only).
constexpr std::array<int, 4> kCodecRates = {8000, 11025, 22050, 44100};

std::optional<TWaveFormat> unchecked(int ordinal, int engineSampleRate)
{
    const int wav = SF_FORMAT_WAV;
    if (ordinal == ofDefault) {
        if (engineSampleRate <= 0)
            return std::nullopt;
        return TWaveFormat{engineSampleRate, 1, wav | SF_FORMAT_PCM_16};
    }
    if (ordinal >= of8kHz8BitMono && ordinal <= of48kHz16BitStereo) {
        const int i = ordinal - of8kHz8BitMono;
        const bool eightBit = i % 4 < 2;
        return TWaveFormat{kPcmRates[i / 4], 1 + i % 2, wav | (eightBit ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16)};
    }
    // Codec families laid out as rate-major pairs of mono and stereo.
    const auto pairs = [&](int first, int subtype) {
        const int i = ordinal - first;
        return TWaveFormat{kCodecRates[i / 2], 1 + i % 2, wav | subtype};
    };
    if (ordinal >= ofCCITT_ALaw_8kHzMono && ordinal <= ofCCITT_ALaw_44kHzStereo)
        return pairs(ofCCITT_ALaw_8kHzMono, SF_FORMAT_ALAW);
    if (ordinal >= ofCCITT_uLaw_8kHzMono && ordinal <= ofCCITT_uLaw_44kHzStereo)
        return pairs(ofCCITT_uLaw_8kHzMono, SF_FORMAT_ULAW);
    if (ordinal >= ofADPCM_8kHzMono && ordinal <= ofADPCM_44kHzStereo)
        return pairs(ofADPCM_8kHzMono, SF_FORMAT_MS_ADPCM);
    if (ordinal >= ofGSM610_8kHzMono && ordinal <= ofGSM610_44kHzMono)
        return TWaveFormat{kCodecRates[ordinal - ofGSM610_8kHzMono], 1, wav | SF_FORMAT_GSM610};
    return std::nullopt; // no assigned format, text, non-standard, extended, TrueSpeech
}

} // namespace

QString OutputFormatName(int ordinal)
{
    if (ordinal < 0 || ordinal >= kOutputFormatCount)
        return QString();
    return QLatin1String(kNames[ordinal]);
}

std::optional<TOutputFormat> OutputFormatFromName(const QString &name)
{
    for (int i = 0; i < kOutputFormatCount; ++i) {
        if (name == QLatin1String(kNames[i]))
            return static_cast<TOutputFormat>(i);
    }
    return std::nullopt;
}

std::optional<TWaveFormat> WaveFormatOf(int engineFormatType, int engineSampleRate)
{
    const int ordinal = engineFormatType + 1;
    if (ordinal < 0 || ordinal >= kOutputFormatCount)
        return std::nullopt;
    std::optional<TWaveFormat> format = unchecked(ordinal, engineSampleRate);
    if (!format)
        return std::nullopt;
    // Only promise what this libsndfile can actually write.
    SF_INFO info{};
    info.samplerate = format->SampleRate;
    info.channels = format->Channels;
    info.format = format->SndFileFormat;
    if (!sf_format_check(&info))
        return std::nullopt;
    return format;
}

} // namespace lexivoce::speech
