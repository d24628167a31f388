#pragma once

#include "speech/audio/null_sink.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace lexivoce::speech {

// A device for tests and benchmarks: keeps every sample written and when it
// was written. Written from the voice's output thread, read from any thread.
class TCaptureSink : public TAudioSink
{
public:
    using Clock = TPlaybackClock::Clock;

    // A Write call (Count samples starting at FirstSample of Samples()) or a
    // Flush (Count 0), stamped on entry.
    struct TEvent
    {
        Clock::time_point Time;
        std::size_t FirstSample = 0;
        std::size_t Count = 0;
        bool IsFlush = false;
    };

    // realTime: Write takes as long as playing would, as with the null device.
    explicit TCaptureSink(int sampleRate, bool realTime = false);

    bool Write(const std::int16_t *samples, std::size_t count) override;
    void Flush() override;
    QString Name() const override;

    // While failing, Write records nothing and returns false, as a device
    // that went away.
    void SetFailing(bool failing);

    std::vector<std::int16_t> Samples() const;
    std::size_t SampleCount() const;
    std::vector<TEvent> Events() const;
    std::vector<TEvent> Writes() const;
    int FlushCount() const;

    // Waits until at least count samples were written; false on timeout.
    bool WaitForSamples(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_written;
    std::optional<TPlaybackClock> m_clock; // set when pacing in real time
    std::vector<std::int16_t> m_samples;
    std::vector<TEvent> m_events;
    bool m_failing = false;
};

} // namespace lexivoce::speech
