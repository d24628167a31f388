#pragma once

#include <algorithm>
#include <cmath>

namespace lexivoce::speech::espeak {

// Rate -10..10 (0 normal) as espeak-ng words per minute: a factor of three
// either way around its normal 175, clamped to 80..450.
inline int RateToWordsPerMinute(int rate)
{
    const int clamped = std::clamp(rate, -10, 10);
    const double wpm = 175.0 * std::pow(3.0, clamped / 10.0);
    return std::clamp(static_cast<int>(std::lround(wpm)), 80, 450);
}

// Volume 0..100 as espeak-ng volume 0..100 (above 100 it amplifies and clips).
inline int VolumeToEspeak(int volume)
{
    return std::clamp(volume, 0, 100);
}

// Pitch markup -10..10 as espeak-ng pitch 0..100 (50 its normal).
inline int PitchToEspeak(int pitch)
{
    return 50 + 5 * std::clamp(pitch, -10, 10);
}

} // namespace lexivoce::speech::espeak
