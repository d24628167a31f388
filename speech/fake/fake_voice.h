#pragma once

#include "speech/voice_object.h"

#include <QList>
#include <QString>

namespace lexivoce::speech::fake {

// A voice object that speaks nothing and records every call, for tests:
// they compare what was said, not how. By default Speak marks the object
// speaking until FinishSpeaking() (or a purge) and raises StartStream at
// once; with PlayMs set, each utterance is "heard" for that long, one after
// the other, on the event loop: StartStream when it starts, EndStream when
// it ends, nothing for one that a purge silenced.
class TFakeVoice : public TVoiceObject
{
    Q_OBJECT

public:
    struct TCall
    {
        QString Operation; // "speak", "voice", "rate", "volume", "pause", "resume", "output"
        QString Text;      // speak: the text; voice: the description; output: "file" or "audio"
        int Value = 0;     // speak: the flags; voice, rate, volume: the value

        bool operator==(const TCall &) const = default;
    };

    explicit TFakeVoice(QObject *parent = nullptr);

    // Voices offered; by default an English and a Vietnamese one.
    QList<TVoiceToken> Voices;
    QList<TCall> Calls;
    // Everything spoken, in order (texts of speak calls that were not purges).
    QStringList Spoken() const;
    // The speak calls' texts since the last purge.
    QStringList Queued;
    // Throw from SetAudioOutputStream when a file stream is given.
    bool RefuseFileOutput = false;
    // -1: utterances last until FinishSpeaking(); otherwise milliseconds
    // each utterance plays.
    int PlayMs = -1;

    // Ends every queued utterance: EndStream for each, then done.
    void FinishSpeaking();
    // Raises a Word event for the current stream.
    void RaiseWord(int characterPosition, int length);

    int SampleRate() const override { return 22050; }
    QList<TVoiceToken> GetVoices() const override { return Voices; }
    int Voice() const override { return m_voice; }
    void SetVoice(int index) override;
    int Rate() const override { return m_rate; }
    void SetRate(int rate) override;
    int Volume() const override { return m_volume; }
    void SetVolume(int volume) override;
    int RunningState() const override { return Queued.isEmpty() ? srseDone : srseIsSpeaking; }
    int Speak(const QString &text, int flags) override;
    void Pause() override;
    void Resume() override;
    void SetAudioOutputStream(TSpeechFileStream *stream) override;

    TSpeechFileStream *OutputStream() const { return m_stream; }

private:
    void PlayFirst();

    QList<int> m_queuedStreams; // stream numbers of Queued
    int m_generation = 0;       // counts purges: a timer of an older one is stale
    int m_voice = 0;
    int m_rate = 0;
    int m_volume = 100;
    int m_lastStreamNumber = 0;
    TSpeechFileStream *m_stream = nullptr;
};

} // namespace lexivoce::speech::fake
