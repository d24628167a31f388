#pragma once

#include "speech/audio/null_sink.h"
#include "speech/audio_sink.h"
#include "speech/voice_object.h"

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace lexivoce::speech::espeak {

struct TChannel;
struct TAudioChunk;
struct TEngineEvent;

// A voice object over the shared espeak-ng engine. Its audio goes to its own
// device (a PulseAudio stream, or the null device when no sound server
// answers) through an output thread that hands the device at most a few
// milliseconds at a time, so a purge silences it at once; events are raised
// on the GUI thread as their audio reaches the device.
class TEspeakVoice : public TVoiceObject
{
    Q_OBJECT

public:
    using TSinkFactory = std::function<std::unique_ptr<TAudioSink>(int sampleRate)>;

    // sinkFactory: where the audio goes; by default CreateAudioSink. Called
    // on the output thread at the first utterance, and again at the start of
    // an utterance while the device in use is a fallback. Throws
    // lexivoce::Error when the engine cannot be started.
    explicit TEspeakVoice(QObject *parent = nullptr, TSinkFactory sinkFactory = {});
    ~TEspeakVoice() override;

    int SampleRate() const override;
    QList<TVoiceToken> GetVoices() const override;
    int Voice() const override { return m_voice; }
    void SetVoice(int index) override;
    int Rate() const override { return m_rate; }
    void SetRate(int rate) override;
    int Volume() const override { return m_volume; }
    void SetVolume(int volume) override;
    int RunningState() const override { return m_pending > 0 ? srseIsSpeaking : srseDone; }
    int Speak(const QString &text, int flags) override;
    void Pause() override;
    void Resume() override;
    void SetAudioOutputStream(TSpeechFileStream *stream) override;

    // Name of the audio device in use (TAudioSink::Name), empty before the
    // first utterance. Thread-safe.
    QString DeviceName() const;

    // Samples handed to the device per write: the most a purge can be late.
    static constexpr int kBlockMs = 5;

private:
    void Purge();
    QByteArray VoiceIdFor(const QString &name) const;
    void OutputLoop();
    void PlayChunk(TAudioChunk &chunk, std::unique_ptr<TAudioSink> &sink);
    void PostEvent(std::uint64_t generation, int stream, const TEngineEvent &event);
    void PostStreamEvent(std::uint64_t generation, int stream, qint64 position, bool end);
    bool IsCurrent(std::uint64_t generation) const;

    std::shared_ptr<TChannel> m_channel;
    TSinkFactory m_sinkFactory;
    std::thread m_output;
    TSpeechFileStream *m_file = nullptr;
    int m_voice = 0;
    int m_rate = 0;
    int m_volume = 100;
    int m_nextStream = 0;
    int m_pending = 0;
    TPlaybackClock m_clock{0}; // output thread only: what the device still has to play
    mutable std::mutex m_deviceMutex;
    QString m_deviceName; // guarded by m_deviceMutex
};

} // namespace lexivoce::speech::espeak
