#pragma once

#include "speech/audio_sink.h"

#include <chrono>

namespace lexivoce::speech {

// When written audio would finish playing on a device that plays it at a
// fixed rate, starting as soon as it is written and restarting after it ran
// dry. Paces the sinks that have no hardware behind them.
class TPlaybackClock
{
public:
    using Clock = std::chrono::steady_clock;

    // How far a writer may run ahead of playback, like a device buffer.
    static constexpr std::chrono::milliseconds kAhead{20};

    explicit TPlaybackClock(int sampleRate) : m_rate(sampleRate) {}

    // Accounts count samples written at now; returns when the writer may go
    // on (kAhead before they finish playing).
    Clock::time_point Add(std::size_t count, Clock::time_point now);
    // Audio written but not yet played at now.
    Clock::duration Pending(Clock::time_point now) const;
    // Forgets what has not been played.
    void Flush(Clock::time_point now);

private:
    Clock::time_point playEnd() const;

    int m_rate;
    Clock::time_point m_start;   // when the first sample since the last restart played
    std::uint64_t m_samples = 0; // samples written since then
};

// A device that plays nothing but takes as long as playing would.
class TNullSink : public TAudioSink
{
public:
    TNullSink(int sampleRate, bool fallback);

    bool Write(const std::int16_t *samples, std::size_t count) override;
    void Flush() override;
    bool IsFallback() const override { return m_fallback; }
    QString Name() const override;

private:
    TPlaybackClock m_clock;
    bool m_fallback;
};

} // namespace lexivoce::speech
