#pragma once

#include "lang/error.h"
#include "speech/output_format.h"

#include <QObject>
#include <QStringList>

#include <functional>

namespace lexivoce::speech {

class TVoiceObject;

enum TSpeechOutput : std::uint8_t { soFile, soAudio };
enum SpeakerState : std::uint8_t { ssSpeaking, ssDone, ssOther };

// Raised when a voice that is not installed is selected.
class EMSpeechException : public Error
{
public:
    using Error::Error;
};

// A speaker: voice, rate (Speed), pitch, volume and the speak, stop, pause
// and resume operations, with limits each engine declares for itself. Owned
// by its QObject parent; its objectName is the speaker's name (the speech
// transcript uses it).
class TCustomSpeaker : public QObject
{
    Q_OBJECT

public:
    explicit TCustomSpeaker(QObject *owner = nullptr);

    QStringList VoiceNames;          // every installed voice, in engine order
    QString VoiceName;               // the voice in use; empty until known
    QString FileName;                // target of soFile output
    TSpeechOutput Output = soAudio;
    QStringList Text;                // what the next Speak utters
    bool SpeakPunctuation = false;

    int Pitch() const { return GetPitch(); }
    void SetPitch(int value) { WritePitch(value); }
    int Speed() const { return GetSpeed(); }
    void SetSpeed(int value) { WriteSpeed(value); }
    int Volume() const { return GetVolume(); }
    void SetVolume(int value) { WriteVolume(value); }
    SpeakerState State() const { return GetState(); }

    virtual int GetPitch() const { return m_pitch; }
    virtual int GetSpeed() const { return m_speed; }
    virtual int GetVolume() const { return m_volume; }
    virtual SpeakerState GetState() const { return m_state; }
    virtual void WritePitch(int value) { m_pitch = value; }
    virtual void WriteSpeed(int value) { m_speed = value; }
    virtual void WriteVolume(int value) { m_volume = value; }
    virtual void SetState(SpeakerState state) { m_state = state; }

    virtual int MaxPitch() const { return 20; }
    virtual int MaxSpeed() const { return 20; }
    virtual int MaxVolume() const { return 100; }
    virtual int MinPitch() const { return 0; }
    virtual int MinSpeed() const { return 0; }
    virtual int MinVolume() const { return 0; }

    // Selects the voice only when name differs from VoiceName.
    virtual void SetVoice(const QString &name) = 0;
    // Selects the voice unconditionally; EMSpeechException when the name is
    // not installed ("Specified Speech Engine not found").
    virtual void SelectVoice(const QString &name) = 0;
    virtual void Speak() = 0;
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual void Resume() = 0;

protected:
    // Volume at the maximum, pitch and speed in the middle of the limits of
    // the class being built (constructors call it: C++ dispatches to the
    // class under construction, as wanted).
    void InitDefaults();

    int m_speed = 0;
    int m_volume = 0;
    int m_pitch = 0;
    SpeakerState m_state = ssDone;
};

// Clamps to [minimum, maximum], the upper bound first.
constexpr int ClampLimit(int value, int minimum, int maximum)
{
    return value > maximum ? maximum : (value < minimum ? minimum : value);
}

// "<pitch absmiddle="%d"/>": the prefix of every utterance.
QString PitchPrefix(int pitch);

// Creates the voice object of a new TSpeaker5: the espeak-ng engine unless a
// test installed another factory.
using TVoiceObjectFactory = std::function<TVoiceObject *()>;
void SetVoiceObjectFactory(TVoiceObjectFactory factory);
TVoiceObject *CreateVoiceObject();

// The speaker over a voice object: rate and volume live in the engine, pitch
// is applied as markup on every utterance, output goes to the audio device
// or to a wave file.
class TSpeaker5 : public TCustomSpeaker
{
    Q_OBJECT

public:
    // voiceObject: taken over; nullptr creates one with CreateVoiceObject().
    explicit TSpeaker5(QObject *owner = nullptr, TVoiceObject *voiceObject = nullptr);
    ~TSpeaker5() override;

    TVoiceObject *VoiceObject() const { return m_voiceObject; }
    TOutputFormat OutputFormat = of11kHz16BitMono;

    int GetSpeed() const override;
    int GetVolume() const override;
    SpeakerState GetState() const override;
    void WritePitch(int value) override;
    void WriteSpeed(int value) override;
    void WriteVolume(int value) override;

    int MaxPitch() const override { return 10; }
    int MaxSpeed() const override { return 10; }
    int MinPitch() const override { return -10; }
    int MinSpeed() const override { return -10; }

    void SetVoice(const QString &name) override;
    void SelectVoice(const QString &name) override;
    // Audio: queues the utterance on the speech channel (speech_channel.h)
    // and returns; it is heard after what the current user action said
    // before it, and cuts off what older actions left unsaid. File: writes
    // FileName in OutputFormat and returns when done; throws lexivoce::Error
    // when the file or format cannot be written (the voice speaks to the
    // audio device again afterwards).
    void Speak() override;
    // Silences this speaker at once and drops what it still had to say.
    void Stop() override;
    void Pause() override;
    void Resume() override;

    // The utterance Speak hands the engine: the pitch prefix, then each line
    // of Text followed by a line break.
    QString Utterance() const;

Q_SIGNALS:
    // A word is being spoken; characterPosition is counted in Text (the
    // pitch prefix subtracted).
    void OnWord(lexivoce::speech::TVoiceObject *sender, int streamNumber, qint64 streamPosition,
                int characterPosition, int length);

private:
    void Log(const QString &operation, const QString &argument) const;
    void SpeakToFile(const QString &utterance, int flags);

    TVoiceObject *m_voiceObject;
};

} // namespace lexivoce::speech
