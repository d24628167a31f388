#include "dict/job_reporter.h"

namespace lexivoce::dict {

TJobPacer::TJobPacer(TJobReporter *reporter)
    : m_reporter(reporter), m_sliceNs(reporter ? reporter->SliceNs() : 0)
{
    m_clock.start();
}

void TJobPacer::SetProgress(int percent)
{
    if (m_reporter && percent != m_percent) {
        m_percent = percent;
        m_reporter->Progress(percent);
    }
}

void TJobPacer::Notice(const lang::TMessage &message)
{
    if (m_reporter)
        m_reporter->Notice(message);
}

void TJobPacer::CheckClock()
{
    m_calls = 0;
    if (m_clock.nsecsElapsed() < m_sliceNs)
        return;
    if (!m_reporter->ProcessEvents())
        throw TJobCancelled();
    m_clock.restart();
}

} // namespace lexivoce::dict
