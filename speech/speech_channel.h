#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <deque>

namespace lexivoce::speech {

class TVoiceObject;

// The program's one speech channel: whichever speaker says it, one utterance
// is heard at a time, and what one user action makes the program say is heard
// whole and in order.
//
// A user action is a key or mouse press that reaches the program, the
// program becoming active from outside, the hot key or a clipboard look-up
// (BeginAction). Work it sets off later (queued calls, loading a word list,
// timers) speaks as part of the action current when it speaks. The first
// utterance of a new action silences and drops whatever older actions left
// unsaid, on every voice; later utterances of the same action wait for the
// earlier ones. An explicit Stop silences one voice at once.
//
// Every utterance ends up in the speech transcript (speech_log.h) as heard
// (its first sound reached the device), done (its last sound did) or cut
// (silenced before its end, or dropped before any sound: then cut alone).
//
// Lives on the GUI thread.
class TSpeechChannel : public QObject
{
    Q_OBJECT

public:
    static TSpeechChannel &Instance();

    // A new user action begins.
    void BeginAction();
    // Counts user actions since the program started.
    quint64 Action() const { return m_action; }

    // Queues an utterance of voice. speaker: the name the transcript gives
    // it; text and flags as TVoiceObject::Speak takes them (the utterance is
    // always spoken asynchronously). Errors of the voice are dropped: the
    // utterance counts as cut.
    void Speak(TVoiceObject *voice, const QString &speaker, const QString &text, int flags);
    // Silences voice at once and drops everything it still had to say.
    void Stop(TVoiceObject *voice);

    // Whether voice is speaking or has an utterance waiting.
    bool IsBusy(const TVoiceObject *voice) const;
    // Nothing is being said and nothing waits.
    bool IsIdle() const { return m_queue.empty(); }

Q_SIGNALS:
    void Heard(const QString &speaker, const QString &text);
    void Done(const QString &speaker, const QString &text);
    void Cut(const QString &speaker, const QString &text);

private:
    struct TEntry
    {
        QPointer<TVoiceObject> Voice;
        QString Speaker;
        QString Text;
        int Flags = 0;
        quint64 Action = 0;
        int Stream = 0;     // the voice's stream number once on the air
        bool Heard = false;
    };

    TSpeechChannel() = default;

    void Watch(TVoiceObject *voice);
    void DropOlderActions();
    // Puts the first waiting utterance on the air, if none is.
    void StartNext();
    bool IsOnAir(const TVoiceObject *voice, int stream) const;
    void OnStart(TVoiceObject *voice, int stream);
    void OnEnd(TVoiceObject *voice, int stream);
    void FinishFront();
    void MarkHeard(TEntry &entry);
    void CutEntry(const TEntry &entry);

    quint64 m_action = 0;
    // The first entry is on the air while m_onAir.
    std::deque<TEntry> m_queue;
    bool m_onAir = false;
    // Inside the voice's Speak: its stream number is not known yet, and an
    // end reported then is acted on when the call returns.
    bool m_inCall = false;
    bool m_endedInCall = false;
    QSet<const TVoiceObject *> m_watched;
};

} // namespace lexivoce::speech
