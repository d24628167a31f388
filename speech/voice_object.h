#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace lexivoce::speech {

class TSpeechFileStream;

// Flags of TVoiceObject::Speak.
enum TSpeakFlags : int {
    svsfDefault = 0,
    svsfAsync = 1,              // return at once; otherwise wait until spoken
    svsfPurgeBeforeSpeak = 2,   // drop everything queued and silence first
    svsfIsFilename = 4,         // not supported: the text is always spoken
    svsfIsXML = 8,              // the text holds markup
    svsfIsNotXML = 16,          // the text is plain, '<' included
    svsfPersistXML = 32,        // markup state carries on (markup is read either way)
    svsfNLPSpeakPunc = 64,      // the engine reads punctuation marks
};

// Running state of a voice object.
enum TRunningState : int { srseDone = 1, srseIsSpeaking = 2 };

struct TVoiceToken
{
    QString Id;          // engine identifier, e.g. "gmw/en"
    QString Description; // readable and unique, e.g. "English (Great Britain)"
    QString Language;    // e.g. "en-gb"
};

// One voice object: the seam between the speakers and a speech engine. Each
// object has its own queue, voice, rate, volume, pause and purge; the speech
// channel (speech_channel.h) sees to it that two objects never sound at the
// same time. Lives on the GUI thread; every signal is emitted there.
// StartStream comes when an utterance's first sound reaches the device,
// EndStream when its last sound has been played; neither comes for an
// utterance that a purge silenced.
//
// Markup read by Speak (unless svsfIsNotXML): <pitch absmiddle="n"/> (for the
// rest of the text) and <pitch absmiddle="n">...</pitch>, n in -10..10;
// <voice required="name=X">...</voice> (names as in GetVoices' descriptions,
// without regard to letter case; an unknown name keeps the current voice; a
// missing closing tag lasts to the end); <spell>...</spell> (punctuation and
// signs inside are named rather than skipped); <silence/> (a clause break:
// the engine pauses as between sentences); the entities &lt; &gt; &amp;
// &quot; &apos;. Tag and attribute names are matched without regard to case;
// other tags are dropped, their text spoken; broken markup is never read out.
class TVoiceObject : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Sample rate of the engine's audio, in Hz (what file streams receive).
    virtual int SampleRate() const = 0;

    // Installed voices, in a stable order.
    virtual QList<TVoiceToken> GetVoices() const = 0;

    // Position of the current voice in GetVoices(), or -1 when none.
    virtual int Voice() const = 0;
    // Takes effect for utterances queued from now on. Out of range: ignored.
    virtual void SetVoice(int index) = 0;

    // -10..10, 0 the engine's normal rate; values are clamped and read back
    // as set.
    virtual int Rate() const = 0;
    virtual void SetRate(int rate) = 0;

    // 0..100; clamped, read back as set.
    virtual int Volume() const = 0;
    virtual void SetVolume(int volume) = 0;

    // srseIsSpeaking from Speak until the last utterance has been handed to
    // the device, or until a purge; srseDone otherwise.
    virtual int RunningState() const = 0;

    // Queues text (TSpeakFlags). Returns the stream number of the utterance
    // (0 for an empty purge). Without svsfAsync, returns when it is spoken.
    virtual int Speak(const QString &text, int flags) = 0;

    virtual void Pause() = 0;
    virtual void Resume() = 0;

    // Replaces the audio output: a file stream (not owned; it must stay open
    // until the next call) or nullptr for the audio device. Throws
    // lexivoce::Error when the engine cannot write the stream's format.
    virtual void SetAudioOutputStream(TSpeechFileStream *stream) = 0;

Q_SIGNALS:
    void StartStream(int streamNumber, qint64 streamPosition);
    void EndStream(int streamNumber, qint64 streamPosition);
    void VoiceChange(int streamNumber, qint64 streamPosition, int voiceIndex);
    void Bookmark(int streamNumber, qint64 streamPosition, const QString &bookmark, int bookmarkId);
    // characterPosition and length in UTF-16 units of the text given to
    // Speak, markup included.
    void Word(int streamNumber, qint64 streamPosition, int characterPosition, int length);
    void Sentence(int streamNumber, qint64 streamPosition, int characterPosition, int length);
    void Phoneme(int streamNumber, qint64 streamPosition, int duration, int nextPhoneId, int feature, int currentPhoneId);
    void Viseme(int streamNumber, qint64 streamPosition, int duration, int nextVisemeId, int feature, int currentVisemeId);
    void AudioLevel(int streamNumber, qint64 streamPosition, int audioLevel);
    void EnginePrivate(int streamNumber, qint64 streamPosition, const QVariant &engineData);
};

} // namespace lexivoce::speech
