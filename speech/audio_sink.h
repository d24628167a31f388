#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace lexivoce::speech {

// The device one voice object plays into: 16-bit signed mono samples at a
// fixed rate. Used from one thread at a time (the voice's output thread).
class TAudioSink
{
public:
    virtual ~TAudioSink() = default;

    // Blocks until the samples are accepted: at most about 20 ms of audio is
    // ever waiting ahead of playback. Returns false when the device failed;
    // the caller then switches to another sink.
    virtual bool Write(const std::int16_t *samples, std::size_t count) = 0;

    // Drops what the device has not played yet.
    virtual void Flush() = 0;

    // True for the fallback device used because no sound server answered (as
    // opposed to a null device asked for by LEXIVOCE_AUDIO=null).
    virtual bool IsFallback() const { return false; }

    virtual QString Name() const = 0;
};

// The audio device for one voice object: a PulseAudio stream named
// streamName when a sound server answers (PipeWire serves it too), else a
// null device that consumes audio in real time (IsFallback() true).
// LEXIVOCE_AUDIO=pulse or =null forces one (pulse still falls back when it
// cannot connect). Never throws.
std::unique_ptr<TAudioSink> CreateAudioSink(const QString &streamName, int sampleRate);

} // namespace lexivoce::speech
