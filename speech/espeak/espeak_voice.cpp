#include "speech/espeak/espeak_voice.h"

#include "speech/audio/null_sink.h"
#include "speech/espeak/espeak_engine.h"
#include "speech/markup.h"
#include "speech/wave_file.h"

#include <QEventLoop>
#include <QMetaObject>

#include <algorithm>

namespace lexivoce::speech::espeak {

TEspeakVoice::TEspeakVoice(QObject *parent, TSinkFactory sinkFactory)
    : TVoiceObject(parent), m_channel(std::make_shared<TChannel>()), m_sinkFactory(std::move(sinkFactory))
{
    const TEspeakEngine &engine = TEspeakEngine::Instance();
    if (!m_sinkFactory) {
        m_sinkFactory = [](int sampleRate) {
            return CreateAudioSink(QStringLiteral("Lexivoce speech"), sampleRate);
        };
    }
    // The engine's own default voice.
    const QList<TVoiceToken> &voices = engine.Voices();
    for (qsizetype i = 0; i < voices.size(); ++i) {
        if (voices[i].Id == QLatin1String("gmw/en"))
            m_voice = static_cast<int>(i);
    }
    m_clock = TPlaybackClock(engine.SampleRate());
    m_output = std::thread([this] { OutputLoop(); });
}

TEspeakVoice::~TEspeakVoice()
{
    ++m_channel->Generation;
    {
        const std::lock_guard lock(m_channel->Mutex);
        m_channel->Quit = true;
    }
    m_channel->Wake.notify_all();
    m_output.join();
}

int TEspeakVoice::SampleRate() const
{
    return TEspeakEngine::Instance().SampleRate();
}

QList<TVoiceToken> TEspeakVoice::GetVoices() const
{
    return TEspeakEngine::Instance().Voices();
}

void TEspeakVoice::SetVoice(int index)
{
    if (index >= 0 && index < GetVoices().size())
        m_voice = index;
}

void TEspeakVoice::SetRate(int rate)
{
    m_rate = std::clamp(rate, -10, 10);
}

void TEspeakVoice::SetVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 100);
}

QByteArray TEspeakVoice::VoiceIdFor(const QString &name) const
{
    const QList<TVoiceToken> &voices = GetVoices();
    if (!name.isEmpty()) {
        for (const TVoiceToken &voice : voices) {
            if (voice.Description.compare(name, Qt::CaseInsensitive) == 0 || voice.Id == name)
                return voice.Id.toUtf8();
        }
    }
    return m_voice < voices.size() ? voices[m_voice].Id.toUtf8() : QByteArray("en");
}

void TEspeakVoice::Purge()
{
    ++m_channel->Generation;
    {
        const std::lock_guard lock(m_channel->Mutex);
        m_channel->Chunks.clear();
        m_channel->FlushDevice = true;
    }
    m_channel->Wake.notify_all();
    m_pending = 0;
}

int TEspeakVoice::Speak(const QString &text, int flags)
{
    if (flags & svsfPurgeBeforeSpeak)
        Purge();
    if (text.isEmpty())
        return 0;

    const QList<TSpeechSegment> segments =
        (flags & svsfIsNotXML) ? QList<TSpeechSegment>{PlainSegment(text)} : ParseSpeechMarkup(text);
    auto request = std::make_shared<TRequest>();
    request->Channel = m_channel;
    request->Generation = m_channel->Generation.load();
    request->Stream = ++m_nextStream;
    for (const TSpeechSegment &segment : segments) {
        const QByteArray voiceId = VoiceIdFor(segment.VoiceName);
        for (const TSpeechSegment &piece : SplitForSynthesis(segment)) {
            TPiece synthesis;
            synthesis.Text = PrepareForEngine(piece);
            synthesis.VoiceId = voiceId;
            synthesis.Rate = m_rate;
            synthesis.Volume = m_volume;
            synthesis.Pitch = piece.Pitch;
            synthesis.HasPitch = piece.HasPitch;
            synthesis.Punctuation = (flags & svsfNLPSpeakPunc) != 0 || piece.Spell;
            synthesis.EndPause = true;
            request->Pieces.push_back(std::move(synthesis));
        }
    }
    // No trailing pause: it would only delay the end of the utterance.
    if (!request->Pieces.empty())
        request->Pieces.back().EndPause = false;

    const int stream = request->Stream;
    if (m_file) {
        request->File = m_file;
        TEspeakEngine::Instance().Submit(request);
        {
            std::unique_lock lock(request->DoneMutex);
            request->DoneWake.wait(lock, [&] { return request->Done; });
        }
        if (request->Failure)
            std::rethrow_exception(request->Failure);
        Q_EMIT StartStream(stream, 0);
        for (const TEngineEvent &event : request->FileEvents) {
            if (event.Kind == TEngineEvent::Word)
                Q_EMIT Word(stream, qint64(event.Sample) * 2, event.CharacterPosition, event.Length);
            else
                Q_EMIT Sentence(stream, qint64(event.Sample) * 2, event.CharacterPosition, event.Length);
        }
        Q_EMIT EndStream(stream, qint64(request->SamplesDone) * 2);
        return stream;
    }

    ++m_pending;
    TEspeakEngine::Instance().Submit(request);
    if (!(flags & svsfAsync)) {
        QEventLoop loop;
        const auto ended = connect(this, &TVoiceObject::EndStream, &loop, [&](int number) {
            if (number == stream)
                loop.quit();
        });
        if (m_pending > 0)
            loop.exec();
        disconnect(ended);
    }
    return stream;
}

void TEspeakVoice::Pause()
{
    const std::lock_guard lock(m_channel->Mutex);
    m_channel->Paused = true;
}

void TEspeakVoice::Resume()
{
    {
        const std::lock_guard lock(m_channel->Mutex);
        m_channel->Paused = false;
    }
    m_channel->Wake.notify_all();
}

void TEspeakVoice::SetAudioOutputStream(TSpeechFileStream *stream)
{
    m_file = stream;
}

QString TEspeakVoice::DeviceName() const
{
    const std::lock_guard lock(m_deviceMutex);
    return m_deviceName;
}

bool TEspeakVoice::IsCurrent(std::uint64_t generation) const
{
    return generation == m_channel->Generation.load();
}

void TEspeakVoice::PostEvent(std::uint64_t generation, int stream, const TEngineEvent &event)
{
    QMetaObject::invokeMethod(this, [this, generation, stream, event] {
        if (!IsCurrent(generation))
            return;
        if (event.Kind == TEngineEvent::Word)
            Q_EMIT Word(stream, qint64(event.Sample) * 2, event.CharacterPosition, event.Length);
        else
            Q_EMIT Sentence(stream, qint64(event.Sample) * 2, event.CharacterPosition, event.Length);
    }, Qt::QueuedConnection);
}

void TEspeakVoice::PostStreamEvent(std::uint64_t generation, int stream, qint64 position, bool end)
{
    QMetaObject::invokeMethod(this, [this, generation, stream, position, end] {
        if (!IsCurrent(generation))
            return;
        if (!end) {
            Q_EMIT StartStream(stream, position);
            return;
        }
        m_pending = std::max(0, m_pending - 1);
        Q_EMIT EndStream(stream, position);
    }, Qt::QueuedConnection);
}

void TEspeakVoice::OutputLoop()
{
    TChannel &channel = *m_channel;
    std::unique_ptr<TAudioSink> sink;
    for (;;) {
        TAudioChunk chunk;
        {
            std::unique_lock lock(channel.Mutex);
            channel.Wake.wait(lock, [&] { return channel.Quit || channel.FlushDevice || !channel.Chunks.empty(); });
            if (channel.Quit)
                return;
            if (channel.FlushDevice) {
                channel.FlushDevice = false;
                lock.unlock();
                if (sink)
                    sink->Flush();
                m_clock.Flush(TPlaybackClock::Clock::now());
                continue;
            }
            chunk = std::move(channel.Chunks.front());
            channel.Chunks.pop_front();
        }
        if (chunk.Generation != channel.Generation.load())
            continue;
        // A sound server that came back is used from the next utterance on.
        if (!sink || (chunk.StreamStart && sink->IsFallback()))
            sink = m_sinkFactory(TEspeakEngine::Instance().SampleRate());
        PlayChunk(chunk, sink);
        const std::lock_guard lock(m_deviceMutex);
        m_deviceName = sink->Name();
    }
}

void TEspeakVoice::PlayChunk(TAudioChunk &chunk, std::unique_ptr<TAudioSink> &sink)
{
    TChannel &channel = *m_channel;
    const std::uint64_t generation = chunk.Generation;
    const auto stale = [&] { return generation != channel.Generation.load(); };
    if (chunk.StreamStart)
        PostStreamEvent(generation, chunk.Stream, qint64(chunk.FirstSample) * 2, false);

    const int rate = TEspeakEngine::Instance().SampleRate();
    const std::size_t block = static_cast<std::size_t>(rate * kBlockMs / 1000);
    std::size_t event = 0;
    for (std::size_t done = 0; done < chunk.Samples.size() && !stale();) {
        const std::size_t n = std::min(block, chunk.Samples.size() - done);
        // Wait here, where a purge wakes us, rather than inside the device:
        // the device is never more than its buffer ahead of what is heard.
        {
            const auto duration = std::chrono::nanoseconds(std::int64_t(n) * 1'000'000'000 / rate);
            std::unique_lock lock(channel.Mutex);
            for (;;) {
                if (channel.Quit || stale())
                    return;
                const auto now = TPlaybackClock::Clock::now();
                const auto over = m_clock.Pending(now) + duration - TPlaybackClock::kAhead;
                if (channel.Paused)
                    channel.Wake.wait(lock);
                else if (over > decltype(over)::zero())
                    channel.Wake.wait_until(lock, now + over);
                else
                    break;
            }
        }
        while (event < chunk.Events.size() && chunk.Events[event].Sample < chunk.FirstSample + done + n)
            PostEvent(generation, chunk.Stream, chunk.Events[event++]);
        m_clock.Add(n, TPlaybackClock::Clock::now());
        if (!sink->Write(chunk.Samples.data() + done, n)) {
            // The sound server went away: go on in silence, try again later.
            sink = std::make_unique<TNullSink>(TEspeakEngine::Instance().SampleRate(), true);
            sink->Write(chunk.Samples.data() + done, n);
        }
        done += n;
    }
    if (stale())
        return;
    while (event < chunk.Events.size())
        PostEvent(generation, chunk.Stream, chunk.Events[event++]);
    if (!chunk.StreamEnd)
        return;
    // The end is reported once the device has played it, so that the next
    // utterance, of whichever voice, never sounds over its last samples.
    {
        std::unique_lock lock(channel.Mutex);
        for (;;) {
            if (channel.Quit || stale())
                return;
            const auto now = TPlaybackClock::Clock::now();
            const auto pending = m_clock.Pending(now);
            if (pending <= decltype(pending)::zero())
                break;
            channel.Wake.wait_until(lock, now + pending);
        }
    }
    PostStreamEvent(generation, chunk.Stream, qint64(chunk.FirstSample + chunk.Samples.size()) * 2, true);
}

} // namespace lexivoce::speech::espeak
