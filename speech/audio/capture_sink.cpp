#include "speech/audio/capture_sink.h"

#include <algorithm>
#include <thread>

namespace lexivoce::speech {

TCaptureSink::TCaptureSink(int sampleRate, bool realTime)
{
    if (realTime)
        m_clock.emplace(sampleRate);
}

bool TCaptureSink::Write(const std::int16_t *samples, std::size_t count)
{
    const Clock::time_point now = Clock::now();
    Clock::time_point until = now;
    {
        std::lock_guard lock(m_mutex);
        if (m_failing)
            return false;
        m_events.push_back({now, m_samples.size(), count, false});
        m_samples.insert(m_samples.end(), samples, samples + count);
        if (m_clock)
            until = m_clock->Add(count, now);
    }
    m_written.notify_all();
    // Sleep outside the lock: readers must not wait for playback.
    std::this_thread::sleep_until(until);
    return true;
}

void TCaptureSink::Flush()
{
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(m_mutex);
    m_events.push_back({now, m_samples.size(), 0, true});
    if (m_clock)
        m_clock->Flush(now);
}

QString TCaptureSink::Name() const
{
    return QStringLiteral("capture");
}

void TCaptureSink::SetFailing(bool failing)
{
    std::lock_guard lock(m_mutex);
    m_failing = failing;
}

std::vector<std::int16_t> TCaptureSink::Samples() const
{
    std::lock_guard lock(m_mutex);
    return m_samples;
}

std::size_t TCaptureSink::SampleCount() const
{
    std::lock_guard lock(m_mutex);
    return m_samples.size();
}

std::vector<TCaptureSink::TEvent> TCaptureSink::Events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<TCaptureSink::TEvent> TCaptureSink::Writes() const
{
    std::lock_guard lock(m_mutex);
    std::vector<TEvent> writes;
    std::copy_if(m_events.begin(), m_events.end(), std::back_inserter(writes),
                 [](const TEvent &event) { return !event.IsFlush; });
    return writes;
}

int TCaptureSink::FlushCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_events.begin(), m_events.end(),
                                          [](const TEvent &event) { return event.IsFlush; }));
}

bool TCaptureSink::WaitForSamples(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_written.wait_for(lock, timeout, [&] { return m_samples.size() >= count; });
}

} // namespace lexivoce::speech
