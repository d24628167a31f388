#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace lexivoce::bench {

// Prints text and returns true when the arguments ask for --help (or -h):
// a benchmark then ends instead of running.
inline bool AnswerHelp(int argc, char **argv, const char *text)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(text, stdout);
            return true;
        }
    }
    return false;
}

// The longest the event loop went without turning, measured by a timer
// that ticks every millisecond from Start() on.
class THoldMeter
{
public:
    THoldMeter()
    {
        m_ticker.setInterval(1);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] {
            LongestMs = std::max(LongestMs, double(m_sinceTick.nsecsElapsed()) / 1e6);
            m_sinceTick.restart();
        });
    }

    void Start()
    {
        m_sinceTick.start();
        m_ticker.start();
    }

    double LongestMs = 0;

private:
    QTimer m_ticker;
    QElapsedTimer m_sinceTick;
};

} // namespace lexivoce::bench
