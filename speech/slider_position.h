#pragma once

namespace lexivoce::speech {

// Pitch and rate are kept as slider positions 0..20 (the registry, the
// language files, the dialogs' sliders); a speaker takes values -10..10.
// The middle position is the engine's own pitch and rate.
inline constexpr int kMiddlePosition = 10;

constexpr int SpeakerValue(int sliderPosition)
{
    return sliderPosition - kMiddlePosition;
}

constexpr int SliderPosition(int speakerValue)
{
    return speakerValue + kMiddlePosition;
}

} // namespace lexivoce::speech
