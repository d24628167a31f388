#pragma once

#include "speech/audio_sink.h"

#include <chrono>

struct pa_simple;

namespace lexivoce::speech {

// A playback stream on the PulseAudio server (or PipeWire's), 16-bit mono,
// with a small buffer so that a stop is heard at once.
class TPulseSink : public TAudioSink
{
public:
    // Audio the server holds ahead of playback, and the most handed to it in
    // one piece.
    static constexpr std::chrono::milliseconds kBuffer{20};
    static constexpr std::chrono::milliseconds kBlock{5};

    // A stream named streamName, or nullptr when no server answers. Finds the
    // server as every PulseAudio client does (PULSE_SERVER, client.conf, the
    // session's socket) but never starts one.
    static std::unique_ptr<TPulseSink> Connect(const QString &streamName, int sampleRate);

    ~TPulseSink() override;
    TPulseSink(const TPulseSink &) = delete;
    TPulseSink &operator=(const TPulseSink &) = delete;

    bool Write(const std::int16_t *samples, std::size_t count) override;
    void Flush() override;
    QString Name() const override;

private:
    TPulseSink(pa_simple *stream, int sampleRate, const QString &server);

    pa_simple *m_stream;
    std::size_t m_blockSamples;
    QString m_server;
    bool m_failed = false;
};

} // namespace lexivoce::speech
