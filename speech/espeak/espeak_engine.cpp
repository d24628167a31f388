#include "speech/espeak/espeak_engine.h"

#include "lang/error.h"
#include "speech/espeak/espeak_units.h"
#include "speech/wave_file.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace lexivoce::speech::espeak {

namespace {

// Engine buffer length in ms: the callback comes every this much audio, so
// a stale utterance is abandoned within the time it takes to make it.
constexpr int kBufferMs = 20;
// Audio kept before the first sound when leading silence is trimmed.
constexpr int kPrerollMs = 1;

} // namespace

TEspeakEngine &TEspeakEngine::Instance()
{
    // Never destroyed: its worker thread serves until the process ends.
    static TEspeakEngine *engine = new TEspeakEngine();
    if (!engine->m_failure.isEmpty())
        throw Error(engine->m_failure);
    return *engine;
}

TEspeakEngine::TEspeakEngine()
{
    m_thread = std::thread([this] { Run(); });
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_ready; });
}

TEspeakEngine::~TEspeakEngine()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void TEspeakEngine::Initialize()
{
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kBufferMs, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) {
        m_failure = QStringLiteral("The speech engine espeak-ng could not be started: its data files are missing.");
        return;
    }
    m_sampleRate = rate;
    espeak_SetSynthCallback(reinterpret_cast<t_espeak_callback *>(&TEspeakEngine::Callback));

    const espeak_VOICE **voices = espeak_ListVoices(nullptr);
    for (int i = 0; voices && voices[i]; ++i) {
        const espeak_VOICE *voice = voices[i];
        const QString identifier = QString::fromUtf8(voice->identifier ? voice->identifier : "");
        // Variants only colour another voice; they are not voices of their own.
        if (identifier.isEmpty() || identifier.startsWith(QLatin1String("!v")) || identifier.startsWith(QLatin1String("mb/")))
            continue;
        const QString language = voice->languages ? QString::fromUtf8(voice->languages + 1) : QString();
        QString name = QString::fromUtf8(voice->name ? voice->name : "");
        name.replace(u'_', u' ');
        m_voices.append({identifier, name.isEmpty() ? identifier : name, language});
    }
    // Stable across runs: by description, then identifier; descriptions
    // made unique, as voices are chosen by them.
    std::sort(m_voices.begin(), m_voices.end(), [](const TVoiceToken &a, const TVoiceToken &b) {
        const int order = a.Description.compare(b.Description, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.Id < b.Id;
    });
    for (qsizetype i = 1; i < m_voices.size(); ++i) {
        if (m_voices[i].Description.compare(m_voices[i - 1].Description, Qt::CaseInsensitive) == 0)
            m_voices[i].Description += QStringLiteral(" (%1)").arg(m_voices[i].Id);
    }
}

void TEspeakEngine::Run()
{
    Initialize();
    {
        const std::lock_guard lock(m_mutex);
        m_ready = true;
    }
    m_wake.notify_all();
    if (!m_failure.isEmpty())
        return;

    for (;;) {
        std::shared_ptr<TRequest> request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
            if (m_stop)
                return;
            request = std::move(m_queue.front());
            m_queue.pop_front();
        }
        const bool stale = request->Generation != request->Channel->Generation.load();
        if (stale)
            m_lastAbandoned = std::chrono::steady_clock::now().time_since_epoch().count();
        else if (request->NextPiece < request->Pieces.size())
            SynthesizePiece(*request);
        const bool more = request->Generation == request->Channel->Generation.load()
                          && !request->Failure && request->NextPiece < request->Pieces.size();
        if (more) {
            // Take turns: the next piece waits behind whatever else came in.
            const std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(request));
        } else {
            FinishRequest(*request);
        }
    }
}

void TEspeakEngine::Submit(std::shared_ptr<TRequest> request)
{
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(request));
    }
    m_wake.notify_all();
}

void TEspeakEngine::SynthesizePiece(TRequest &request)
{
    const TPiece &piece = request.Pieces[request.NextPiece++];
    request.Current = &piece;
    if (piece.VoiceId != m_currentVoice) {
        espeak_SetVoiceByName(piece.VoiceId.constData());
        m_currentVoice = piece.VoiceId;
    }
    espeak_SetParameter(espeakRATE, RateToWordsPerMinute(piece.Rate), 0);
    espeak_SetParameter(espeakVOLUME, VolumeToEspeak(piece.Volume), 0);
    espeak_SetParameter(espeakPITCH, PitchToEspeak(piece.HasPitch ? piece.Pitch : 0), 0);
    espeak_SetParameter(espeakPUNCTUATION, piece.Punctuation ? espeakPUNCT_ALL : espeakPUNCT_NONE, 0);
    m_pieceGenerated = 0;
    const unsigned flags = espeakCHARS_UTF8 | (piece.EndPause ? espeakENDPAUSE : 0);
    espeak_Synth(piece.Text.Utf8.constData(), static_cast<size_t>(piece.Text.Utf8.size()) + 1, 0, POS_CHARACTER, 0,
                 flags, nullptr, &request);
    request.Current = nullptr;
}

void TEspeakEngine::FinishRequest(TRequest &request)
{
    if (request.File) {
        {
            const std::lock_guard lock(request.DoneMutex);
            request.Done = true;
        }
        request.DoneWake.notify_all();
        return;
    }
    TChannel &channel = *request.Channel;
    if (request.Generation != channel.Generation.load())
        return;
    TAudioChunk end;
    end.Generation = request.Generation;
    end.Stream = request.Stream;
    end.FirstSample = request.SamplesDone;
    end.StreamStart = !request.Started;
    end.StreamEnd = true;
    {
        const std::lock_guard lock(channel.Mutex);
        channel.Chunks.push_back(std::move(end));
    }
    channel.Wake.notify_all();
}

int TEspeakEngine::Callback(short *wave, int count, void *events)
{
    auto *first = static_cast<espeak_EVENT *>(events);
    auto *request = first ? static_cast<TRequest *>(first->user_data) : nullptr;
    if (!request)
        return 0;
    return Instance().OnAudio(*request, wave, count, events);
}

int TEspeakEngine::OnAudio(TRequest &request, const std::int16_t *wave, int count, const void *rawEvents)
{
    if (request.Generation != request.Channel->Generation.load()) {
        // A purge came: stop making audio nobody will hear.
        m_lastAbandoned = std::chrono::steady_clock::now().time_since_epoch().count();
        return 1;
    }
    if (!wave)
        count = 0;

    std::size_t start = 0;
    if (request.Trimming) {
        const auto loud = std::find_if(wave, wave + count, [](std::int16_t s) {
            return std::abs(static_cast<int>(s)) >= kSilenceThreshold;
        });
        const auto index = static_cast<std::size_t>(loud - wave);
        if (loud == wave + count) {
            start = static_cast<std::size_t>(count);
        } else {
            const std::size_t preroll = static_cast<std::size_t>(m_sampleRate * kPrerollMs / 1000);
            start = index > preroll ? index - preroll : 0;
            request.Trimming = false;
        }
    }
    const std::size_t kept = static_cast<std::size_t>(count) - start;

    std::vector<TEngineEvent> events;
    const TPiece *piece = request.Current;
    for (auto *event = static_cast<const espeak_EVENT *>(rawEvents);
         piece && event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        if (event->type != espeakEVENT_WORD && event->type != espeakEVENT_SENTENCE)
            continue;
        if (event->text_position <= 0 || (event->type == espeakEVENT_WORD && event->length <= 0))
            continue;
        const std::vector<int> &origin = piece->Text.CodePointOrigin;
        const auto first = static_cast<std::size_t>(event->text_position - 1);
        if (first + 1 >= origin.size())
            continue;
        const std::size_t last = std::min(first + static_cast<std::size_t>(std::max(event->length, 0)), origin.size() - 1);
        TEngineEvent mapped;
        mapped.Kind = event->type == espeakEVENT_WORD ? TEngineEvent::Word : TEngineEvent::Sentence;
        mapped.CharacterPosition = origin[first];
        mapped.Length = std::max(0, origin[last] - origin[first]);
        const std::int64_t inPiece = static_cast<std::int64_t>(event->audio_position) * m_sampleRate / 1000;
        const std::int64_t inBuffer = std::clamp<std::int64_t>(inPiece - m_pieceGenerated, 0, count);
        mapped.Sample = request.SamplesDone
                        + static_cast<std::size_t>(std::max<std::int64_t>(0, inBuffer - static_cast<std::int64_t>(start)));
        events.push_back(mapped);
    }
    m_pieceGenerated += count;

    if (request.File) {
        try {
            if (kept > 0)
                request.File->Write(wave + start, kept);
        } catch (...) {
            request.Failure = std::current_exception();
            return 1;
        }
        request.FileEvents.insert(request.FileEvents.end(), events.begin(), events.end());
        request.SamplesDone += kept;
        return 0;
    }

    if (kept == 0 && events.empty())
        return 0;
    TAudioChunk chunk;
    chunk.Generation = request.Generation;
    chunk.Stream = request.Stream;
    chunk.FirstSample = request.SamplesDone;
    chunk.Samples.assign(wave + start, wave + count);
    chunk.Events = std::move(events);
    chunk.StreamStart = !request.Started;
    request.Started = true;
    request.SamplesDone += kept;
    TChannel &channel = *request.Channel;
    {
        const std::lock_guard lock(channel.Mutex);
        channel.Chunks.push_back(std::move(chunk));
    }
    channel.Wake.notify_all();
    return 0;
}

} // namespace lexivoce::speech::espeak
