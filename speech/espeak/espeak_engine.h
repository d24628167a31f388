#pragma once

#include "speech/markup.h"
#include "speech/voice_object.h"

#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lexivoce::speech {
class TSpeechFileStream;
}

namespace lexivoce::speech::espeak {

// An event of the engine, placed at a sample of the utterance's audio.
struct TEngineEvent
{
    enum TKind { Word, Sentence } Kind = Word;
    std::size_t Sample = 0;        // index in the stream's samples
    int CharacterPosition = 0;     // UTF-16 offset in the text given to Speak
    int Length = 0;
};

// A piece of audio on its way from the synthesis worker to a voice's output
// thread. The first piece of an utterance has StreamStart, the last
// StreamEnd (possibly without samples).
struct TAudioChunk
{
    std::uint64_t Generation = 0;
    int Stream = 0;
    std::size_t FirstSample = 0;   // index of Samples[0] in the stream
    std::vector<std::int16_t> Samples;
    std::vector<TEngineEvent> Events;
    bool StreamStart = false;
    bool StreamEnd = false;
};

// What one voice object shares with the worker and its output thread.
// Generation counts purges: work and audio of an older generation is
// dropped wherever it is met.
struct TChannel
{
    std::atomic<std::uint64_t> Generation{0};
    std::mutex Mutex;
    std::condition_variable Wake;
    std::deque<TAudioChunk> Chunks;  // guarded by Mutex
    bool Paused = false;             // guarded by Mutex
    bool FlushDevice = false;        // guarded by Mutex
    bool Quit = false;               // guarded by Mutex
};

// One piece of text to synthesize with its settings.
struct TPiece
{
    TEngineText Text;
    QByteArray VoiceId;  // espeak-ng identifier
    int Rate = 0;        // -10..10
    int Volume = 100;
    int Pitch = 0;       // -10..10
    bool HasPitch = false;
    bool Punctuation = false;
    bool EndPause = false; // a sentence follows: keep the engine's pause
};

// One utterance of one voice object.
struct TRequest
{
    std::shared_ptr<TChannel> Channel;
    std::uint64_t Generation = 0;
    int Stream = 0;
    std::vector<TPiece> Pieces;
    TSpeechFileStream *File = nullptr;  // synchronous file output instead of the channel

    // Worker state.
    std::size_t NextPiece = 0;
    std::size_t SamplesDone = 0;
    bool Trimming = true;           // still dropping leading silence
    bool Started = false;
    const TPiece *Current = nullptr;

    // File output: completion and outcome, read by the waiting caller.
    std::mutex DoneMutex;
    std::condition_variable DoneWake;
    bool Done = false;
    std::exception_ptr Failure;
    std::vector<TEngineEvent> FileEvents;
};

// The process's one espeak-ng instance: its state is process-wide and not
// thread-safe, so one worker thread does all synthesis for every voice
// object, a piece at a time, taking turns between utterances so that a short
// utterance of one voice never waits long behind another's long one.
class TEspeakEngine
{
public:
    // Starts the engine on first use. Throws lexivoce::Error when espeak-ng
    // cannot be initialised (no data files).
    static TEspeakEngine &Instance();

    int SampleRate() const { return m_sampleRate; }
    const QList<TVoiceToken> &Voices() const { return m_voices; }

    void Submit(std::shared_ptr<TRequest> request);

    // Steady-clock time (ns since epoch of std::chrono::steady_clock) when
    // synthesis last gave up a purged utterance; for benchmarks.
    std::int64_t LastAbandoned() const { return m_lastAbandoned.load(); }

    // Leading samples with an absolute value below this count as silence.
    static constexpr int kSilenceThreshold = 64;

private:
    TEspeakEngine();
    ~TEspeakEngine();

    void Run();
    void Initialize();
    void SynthesizePiece(TRequest &request);
    void FinishRequest(TRequest &request);
    static int Callback(short *wave, int count, void *events);
    int OnAudio(TRequest &request, const std::int16_t *wave, int count, const void *events);

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<TRequest>> m_queue; // guarded by m_mutex
    bool m_stop = false;                           // guarded by m_mutex
    bool m_ready = false;                          // guarded by m_mutex
    QString m_failure;
    int m_sampleRate = 0;
    QList<TVoiceToken> m_voices;
    QByteArray m_currentVoice;        // worker only
    std::int64_t m_pieceGenerated = 0; // worker only: samples the engine made for the current piece
    std::atomic<std::int64_t> m_lastAbandoned{0};
};

} // namespace lexivoce::speech::espeak
