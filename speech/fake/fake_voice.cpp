#include "speech/fake/fake_voice.h"

#include "lang/error.h"
#include "speech/wave_file.h"

#include <QTimer>

#include <algorithm>

namespace lexivoce::speech::fake {

TFakeVoice::TFakeVoice(QObject *parent)
    : TVoiceObject(parent)
{
    Voices = {
        {QStringLiteral("gmw/en"), QStringLiteral("English (Great Britain)"), QStringLiteral("en-gb")},
        {QStringLiteral("aav/vi"), QStringLiteral("Vietnamese (Northern)"), QStringLiteral("vi")},
    };
}

QStringList TFakeVoice::Spoken() const
{
    QStringList spoken;
    for (const TCall &call : Calls) {
        if (call.Operation == QLatin1String("speak") && !call.Text.isEmpty())
            spoken.append(call.Text);
    }
    return spoken;
}

void TFakeVoice::SetVoice(int index)
{
    if (index < 0 || index >= Voices.size())
        return;
    m_voice = index;
    Calls.append({QStringLiteral("voice"), Voices[index].Description, index});
}

void TFakeVoice::SetRate(int rate)
{
    m_rate = std::clamp(rate, -10, 10);
    Calls.append({QStringLiteral("rate"), QString(), m_rate});
}

void TFakeVoice::SetVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 100);
    Calls.append({QStringLiteral("volume"), QString(), m_volume});
}

int TFakeVoice::Speak(const QString &text, int flags)
{
    Calls.append({QStringLiteral("speak"), text, flags});
    if (flags & svsfPurgeBeforeSpeak) {
        Queued.clear();
        m_queuedStreams.clear();
        ++m_generation;
    }
    if (text.isEmpty())
        return 0;
    Queued.append(text);
    const int stream = ++m_lastStreamNumber;
    m_queuedStreams.append(stream);
    if (!(flags & svsfAsync)) {
        Q_EMIT StartStream(stream, 0);
        FinishSpeaking();
    } else if (PlayMs < 0) {
        Q_EMIT StartStream(stream, 0);
    } else if (Queued.size() == 1) {
        PlayFirst();
    }
    return stream;
}

void TFakeVoice::PlayFirst()
{
    Q_EMIT StartStream(m_queuedStreams.first(), 0);
    const int generation = m_generation;
    QTimer::singleShot(PlayMs, this, [this, generation] {
        if (generation != m_generation || Queued.isEmpty())
            return;
        Queued.removeFirst();
        const int stream = m_queuedStreams.takeFirst();
        Q_EMIT EndStream(stream, 0);
        if (!Queued.isEmpty() && generation == m_generation)
            PlayFirst();
    });
}

void TFakeVoice::FinishSpeaking()
{
    const QList<int> streams = m_queuedStreams;
    Queued.clear();
    m_queuedStreams.clear();
    ++m_generation;
    for (const int stream : streams)
        Q_EMIT EndStream(stream, 0);
}

void TFakeVoice::RaiseWord(int characterPosition, int length)
{
    Q_EMIT Word(m_lastStreamNumber, 0, characterPosition, length);
}

void TFakeVoice::Pause()
{
    Calls.append({QStringLiteral("pause"), QString(), 0});
}

void TFakeVoice::Resume()
{
    Calls.append({QStringLiteral("resume"), QString(), 0});
}

void TFakeVoice::SetAudioOutputStream(TSpeechFileStream *stream)
{
    Calls.append({QStringLiteral("output"), stream ? QStringLiteral("file") : QStringLiteral("audio"), 0});
    if (stream && RefuseFileOutput)
        throw Error(QStringLiteral("The voice cannot write this file."));
    m_stream = stream;
}

} // namespace lexivoce::speech::fake
