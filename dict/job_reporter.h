#pragma once

#include "lang/messages.h"

#include <QElapsedTimer>

namespace lexivoce::dict {

// What a long dictionary job (building an index, sorting) tells the window
// that runs it. All calls come on the calling thread.
class TJobReporter
{
public:
    virtual ~TJobReporter() = default;

    // A short notice to speak (the window looks the key up in its language).
    virtual void Notice(const lang::TMessage &message) { (void)message; }

    // Progress in percent, 0..100; called only when the value changes.
    virtual void Progress(int percent) { (void)percent; }

    // Lets the event loop run so the window keeps painting and speaking.
    // Called about every 10 ms of work, never per byte. Return false to
    // cancel the job; the files are then left as they were.
    virtual bool ProcessEvents() { return true; }

    // The work between two ProcessEvents calls, in nanoseconds. A reporter
    // that returns 0 is asked at every step: a test cancels a job at a
    // chosen step whatever the machine's speed.
    virtual qint64 SliceNs() const { return 10'000'000; }
};

enum class TJobResult {
    Done,
    Cancelled, // ProcessEvents asked to stop: nothing was changed
};

// Calls a reporter at a bounded rate from a tight loop. Tick() is cheap enough
// to call per entry; it checks the clock only every few calls.
class TJobPacer
{
public:
    explicit TJobPacer(TJobReporter *reporter);

    // Reports percent when it changed since the last report.
    void SetProgress(int percent);

    // Lets the event loop run when a slice is over. Throws TJobCancelled
    // when the reporter asks to stop.
    void Tick()
    {
        if (m_reporter && ++m_calls >= kCallsPerClockCheck)
            CheckClock();
    }

    // The same for loops whose steps are long (a chunk of a file): checks the
    // clock at every call.
    void Step()
    {
        if (m_reporter)
            CheckClock();
    }

    void Notice(const lang::TMessage &message);

private:
    static constexpr int kCallsPerClockCheck = 64;

    void CheckClock();

    TJobReporter *m_reporter;
    qint64 m_sliceNs;
    QElapsedTimer m_clock;
    int m_calls = 0;
    int m_percent = -1;
};

struct TJobCancelled
{
};

} // namespace lexivoce::dict
