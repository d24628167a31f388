#include "speech/audio/null_sink.h"

#include <thread>

namespace lexivoce::speech {

TPlaybackClock::Clock::time_point TPlaybackClock::playEnd() const
{
    // From the sample count, not by adding up durations, so that rounding
    // never drifts over a long utterance.
    const auto nanoseconds = static_cast<std::int64_t>(m_samples * 1'000'000'000ull / std::uint64_t(m_rate));
    return m_start + std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(nanoseconds));
}

TPlaybackClock::Clock::time_point TPlaybackClock::Add(std::size_t count, Clock::time_point now)
{
    if (m_rate <= 0)
        return now;
    if (playEnd() <= now) {
        // Ran dry: playback starts again with these samples, the idle time
        // earns no credit.
        m_start = now;
        m_samples = 0;
    }
    m_samples += count;
    return playEnd() - kAhead;
}

TPlaybackClock::Clock::duration TPlaybackClock::Pending(Clock::time_point now) const
{
    const Clock::time_point end = playEnd();
    return end > now ? end - now : Clock::duration::zero();
}

void TPlaybackClock::Flush(Clock::time_point now)
{
    m_start = now;
    m_samples = 0;
}

TNullSink::TNullSink(int sampleRate, bool fallback)
    : m_clock(sampleRate), m_fallback(fallback)
{
}

bool TNullSink::Write(const std::int16_t *, std::size_t count)
{
    std::this_thread::sleep_until(m_clock.Add(count, TPlaybackClock::Clock::now()));
    return true;
}

void TNullSink::Flush()
{
    m_clock.Flush(TPlaybackClock::Clock::now());
}

QString TNullSink::Name() const
{
    return m_fallback ? QStringLiteral("no sound device") : QStringLiteral("null device");
}

} // namespace lexivoce::speech
