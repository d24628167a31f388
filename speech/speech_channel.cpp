#include "speech/speech_channel.h"

#include "speech/speech_log.h"
#include "speech/voice_object.h"

#include <algorithm>

namespace lexivoce::speech {

TSpeechChannel &TSpeechChannel::Instance()
{
    // Never destroyed: speakers may outlive any owner we could give it.
    static auto *channel = new TSpeechChannel();
    return *channel;
}

void TSpeechChannel::BeginAction()
{
    ++m_action;
}

void TSpeechChannel::Watch(TVoiceObject *voice)
{
    if (m_watched.contains(voice))
        return;
    m_watched.insert(voice);
    connect(voice, &TVoiceObject::StartStream, this, [this, voice](int stream) { OnStart(voice, stream); });
    connect(voice, &TVoiceObject::EndStream, this, [this, voice](int stream) { OnEnd(voice, stream); });
    connect(voice, &QObject::destroyed, this, [this, voice] {
        m_watched.remove(voice);
        // Its QPointers are cleared by now: what it had to say is gone.
        const bool frontGone = m_onAir && !m_queue.empty() && !m_queue.front().Voice;
        for (const TEntry &entry : m_queue) {
            if (!entry.Voice)
                CutEntry(entry);
        }
        std::erase_if(m_queue, [](const TEntry &entry) { return !entry.Voice; });
        if (frontGone) {
            m_onAir = false;
            StartNext();
        }
    });
}

void TSpeechChannel::Speak(TVoiceObject *voice, const QString &speaker, const QString &text, int flags)
{
    if (!voice)
        return;
    Watch(voice);
    DropOlderActions();
    m_queue.push_back({voice, speaker, text, flags, m_action});
    StartNext();
}

void TSpeechChannel::DropOlderActions()
{
    if (m_queue.empty() || m_queue.front().Action == m_action)
        return;
    // Actions only grow: the older ones are a prefix of the queue.
    if (m_onAir && m_queue.front().Voice)
        m_queue.front().Voice->Speak(QString(), svsfAsync | svsfPurgeBeforeSpeak);
    while (!m_queue.empty() && m_queue.front().Action != m_action) {
        CutEntry(m_queue.front());
        m_queue.pop_front();
    }
    m_onAir = false;
}

void TSpeechChannel::Stop(TVoiceObject *voice)
{
    if (!voice)
        return;
    const bool frontStopped = m_onAir && !m_queue.empty() && m_queue.front().Voice == voice;
    voice->Speak(QString(), svsfAsync | svsfPurgeBeforeSpeak);
    for (const TEntry &entry : m_queue) {
        if (entry.Voice == voice)
            CutEntry(entry);
    }
    std::erase_if(m_queue, [voice](const TEntry &entry) { return entry.Voice == voice; });
    if (frontStopped) {
        m_onAir = false;
        StartNext();
    }
}

bool TSpeechChannel::IsBusy(const TVoiceObject *voice) const
{
    return std::any_of(m_queue.begin(), m_queue.end(), [voice](const TEntry &entry) { return entry.Voice == voice; });
}

void TSpeechChannel::StartNext()
{
    while (!m_onAir && !m_queue.empty()) {
        TEntry &front = m_queue.front();
        if (!front.Voice) {
            m_queue.pop_front();
            continue;
        }
        m_onAir = true;
        m_inCall = true;
        m_endedInCall = false;
        int stream = 0;
        bool failed = false;
        try {
            stream = front.Voice->Speak(front.Text, front.Flags | svsfAsync);
        } catch (...) {
            failed = true; // the user simply hears nothing
        }
        m_inCall = false;
        if (m_queue.empty() || !m_onAir)
            continue; // the voice went away during the call
        TEntry &started = m_queue.front();
        started.Stream = stream;
        if (failed) {
            CutEntry(started);
            m_queue.pop_front();
            m_onAir = false;
        } else if (stream == 0 || m_endedInCall) {
            FinishFront();
        }
    }
}

bool TSpeechChannel::IsOnAir(const TVoiceObject *voice, int stream) const
{
    return m_onAir && !m_queue.empty() && m_queue.front().Voice == voice
           && (m_inCall || m_queue.front().Stream == stream);
}

void TSpeechChannel::OnStart(TVoiceObject *voice, int stream)
{
    if (IsOnAir(voice, stream))
        MarkHeard(m_queue.front());
}

void TSpeechChannel::OnEnd(TVoiceObject *voice, int stream)
{
    if (!IsOnAir(voice, stream))
        return;
    if (m_inCall) {
        m_endedInCall = true;
        return;
    }
    FinishFront();
    StartNext();
}

void TSpeechChannel::FinishFront()
{
    TEntry entry = m_queue.front();
    m_queue.pop_front();
    m_onAir = false;
    MarkHeard(entry);
    LogSpeechCall(entry.Speaker, QStringLiteral("done"), EscapeForLog(entry.Text));
    Q_EMIT Done(entry.Speaker, entry.Text);
}

void TSpeechChannel::MarkHeard(TEntry &entry)
{
    if (entry.Heard)
        return;
    entry.Heard = true;
    LogSpeechCall(entry.Speaker, QStringLiteral("heard"), EscapeForLog(entry.Text));
    Q_EMIT Heard(entry.Speaker, entry.Text);
}

void TSpeechChannel::CutEntry(const TEntry &entry)
{
    LogSpeechCall(entry.Speaker, QStringLiteral("cut"), EscapeForLog(entry.Text));
    Q_EMIT Cut(entry.Speaker, entry.Text);
}

} // namespace lexivoce::speech
