#include "speech/audio/pulse_sink.h"

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/simple.h>

#include <QByteArray>

#include <algorithm>
#include <optional>

namespace lexivoce::speech {

namespace {

using Clock = std::chrono::steady_clock;

// Long enough for a busy local server, short enough that a dead TCP address
// in PULSE_SERVER does not hold up the program noticeably.
constexpr std::chrono::milliseconds kConnectTimeout{1500};

const char kApplicationName[] = "Lexivoce";

// The address of the server that answers, found the way pa_simple would but
// with autospawn off: pa_simple gives no way to ask for that, and a server
// started by us would outlive the program and own the user's sound.
std::optional<QByteArray> findServer()
{
    pa_mainloop *loop = pa_mainloop_new();
    if (!loop)
        return std::nullopt;
    pa_context *context = pa_context_new(pa_mainloop_get_api(loop), kApplicationName);
    std::optional<QByteArray> server;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        const Clock::time_point deadline = Clock::now() + kConnectTimeout;
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY) {
                if (const char *name = pa_context_get_server(context))
                    server = QByteArray(name);
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(state))
                break;
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                break;
            if (pa_mainloop_prepare(loop, static_cast<int>(left.count())) < 0 || pa_mainloop_poll(loop) < 0
                || pa_mainloop_dispatch(loop) < 0)
                break;
        }
        pa_context_disconnect(context);
    }
    if (context)
        pa_context_unref(context);
    pa_mainloop_free(loop);
    return server;
}

} // namespace

std::unique_ptr<TPulseSink> TPulseSink::Connect(const QString &streamName, int sampleRate)
{
    if (sampleRate <= 0)
        return nullptr;
    const std::optional<QByteArray> server = findServer();
    if (!server)
        return nullptr;

    pa_sample_spec sampleFormat{};
    sampleFormat.format = PA_SAMPLE_S16LE;
    sampleFormat.channels = 1;
    sampleFormat.rate = static_cast<std::uint32_t>(sampleRate);
    // Rounded down, so that the buffer never holds more than kBuffer.
    const std::uint32_t bytesPerMs = std::max<std::uint32_t>(sampleFormat.rate * 2 / 1000, 2);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = (bytesPerMs * static_cast<std::uint32_t>(kBuffer.count())) & ~1u;
    // Start playing with the first block. The default, the whole buffer,
    // put the first sound about 7 ms later when blocks come in real time and
    // holds back an utterance shorter than the buffer until the next one; no
    // prebuffer at all made draining hang after an underrun.
    attr.prebuf = (bytesPerMs * static_cast<std::uint32_t>(kBlock.count())) & ~1u;
    attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(-1);

    int error = 0;
    pa_simple *stream = pa_simple_new(server->constData(), kApplicationName, PA_STREAM_PLAYBACK, nullptr,
                                      streamName.toUtf8().constData(), &sampleFormat, nullptr, &attr, &error);
    if (!stream)
        return nullptr;
    return std::unique_ptr<TPulseSink>(new TPulseSink(stream, sampleRate, QString::fromUtf8(*server)));
}

TPulseSink::TPulseSink(pa_simple *stream, int sampleRate, const QString &server)
    : m_stream(stream),
      m_blockSamples(std::max<std::size_t>(std::size_t(sampleRate) * kBlock.count() / 1000, 1)),
      m_server(server)
{
}

TPulseSink::~TPulseSink()
{
    pa_simple_free(m_stream);
}

bool TPulseSink::Write(const std::int16_t *samples, std::size_t count)
{
    // Block by block: however much count is, the server is never handed more
    // than one block beyond its buffer, which a flush would have to drop.
    while (count > 0 && !m_failed) {
        const std::size_t n = std::min(count, m_blockSamples);
        int error = 0;
        if (pa_simple_write(m_stream, samples, n * sizeof(std::int16_t), &error) < 0)
            m_failed = true;
        samples += n;
        count -= n;
    }
    return !m_failed;
}

void TPulseSink::Flush()
{
    int error = 0;
    if (!m_failed && pa_simple_flush(m_stream, &error) < 0)
        m_failed = true;
}

QString TPulseSink::Name() const
{
    return QStringLiteral("PulseAudio at %1").arg(m_server);
}

} // namespace lexivoce::speech
