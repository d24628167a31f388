#include "speech/speakers.h"

#include "speech/espeak/espeak_voice.h"
#include "speech/speech_channel.h"
#include "speech/speech_log.h"
#include "speech/voice_object.h"
#include "speech/wave_file.h"

namespace lexivoce::speech {

namespace {

TVoiceObjectFactory &factory()
{
    static TVoiceObjectFactory instance;
    return instance;
}

} // namespace

TCustomSpeaker::TCustomSpeaker(QObject *owner)
    : QObject(owner)
{
    InitDefaults();
}

void TCustomSpeaker::InitDefaults()
{
    m_volume = MaxVolume();
    m_pitch = (MaxPitch() + MinPitch()) / 2;
    m_speed = (MaxSpeed() + MinSpeed()) / 2;
}

QString PitchPrefix(int pitch)
{
    return QStringLiteral("<pitch absmiddle=\"%1\"/>").arg(pitch);
}

void SetVoiceObjectFactory(TVoiceObjectFactory newFactory)
{
    factory() = std::move(newFactory);
}

TVoiceObject *CreateVoiceObject()
{
    if (factory())
        return factory()();
    return new espeak::TEspeakVoice();
}

TSpeaker5::TSpeaker5(QObject *owner, TVoiceObject *voiceObject)
    : TCustomSpeaker(owner), m_voiceObject(voiceObject ? voiceObject : CreateVoiceObject())
{
    m_voiceObject->setParent(this);
    InitDefaults();
    connect(m_voiceObject, &TVoiceObject::Word, this,
            [this](int streamNumber, qint64 streamPosition, int characterPosition, int length) {
                const int corrected = characterPosition - static_cast<int>(PitchPrefix(Pitch()).size());
                Q_EMIT OnWord(m_voiceObject, streamNumber, streamPosition, corrected, length);
            });
    m_voiceObject->SetVolume(m_volume);
    m_voiceObject->SetRate(m_speed);
    const QList<TVoiceToken> voices = m_voiceObject->GetVoices();
    for (const TVoiceToken &voice : voices)
        VoiceNames.append(voice.Description);
    const int current = m_voiceObject->Voice();
    if (current >= 0 && current < voices.size())
        VoiceName = voices[current].Description;
    Output = soAudio;
    OutputFormat = of11kHz16BitMono;
}

TSpeaker5::~TSpeaker5() = default;

void TSpeaker5::Log(const QString &operation, const QString &argument) const
{
    LogSpeechCall(objectName(), operation, argument);
}

int TSpeaker5::GetSpeed() const
{
    return m_voiceObject->Rate();
}

int TSpeaker5::GetVolume() const
{
    return m_voiceObject->Volume();
}

SpeakerState TSpeaker5::GetState() const
{
    // An utterance waiting for its turn on the channel is being spoken too.
    if (TSpeechChannel::Instance().IsBusy(m_voiceObject))
        return ssSpeaking;
    switch (m_voiceObject->RunningState()) {
    case srseDone: return ssDone;
    case srseIsSpeaking: return ssSpeaking;
    default: return ssOther;
    }
}

void TSpeaker5::WritePitch(int value)
{
    m_pitch = ClampLimit(value, MinPitch(), MaxPitch());
}

void TSpeaker5::WriteSpeed(int value)
{
    const int rate = ClampLimit(value, MinSpeed(), MaxSpeed());
    Log(QStringLiteral("rate"), QString::number(rate));
    m_voiceObject->SetRate(rate);
}

void TSpeaker5::WriteVolume(int value)
{
    m_volume = ClampLimit(value, MinVolume(), MaxVolume());
    Log(QStringLiteral("volume"), QString::number(m_volume));
    m_voiceObject->SetVolume(m_volume);
}

void TSpeaker5::SetVoice(const QString &name)
{
    if (name != VoiceName)
        SelectVoice(name);
}

void TSpeaker5::SelectVoice(const QString &name)
{
    const QList<TVoiceToken> voices = m_voiceObject->GetVoices();
    const qsizetype index = VoiceNames.indexOf(name);
    if (index < 0)
        throw EMSpeechException(QStringLiteral("Specified Speech Engine not found"));
    Log(QStringLiteral("voice"), name);
    if (index < voices.size())
        m_voiceObject->SetVoice(static_cast<int>(index));
    VoiceName = name;
}

QString TSpeaker5::Utterance() const
{
    QString utterance = PitchPrefix(Pitch());
    for (const QString &line : Text)
        utterance += line + u'\n';
    return utterance;
}

void TSpeaker5::Speak()
{
    const int flags = svsfPersistXML | (SpeakPunctuation ? svsfNLPSpeakPunc : 0);
    const QString utterance = Utterance();
    if (Output == soAudio) {
        Log(QStringLiteral("speak"), QStringLiteral("%1\t%2").arg(flags | svsfAsync).arg(EscapeForLog(utterance)));
        TSpeechChannel::Instance().Speak(m_voiceObject, objectName(), utterance, flags | svsfAsync);
        return;
    }
    SpeakToFile(utterance, flags);
}

void TSpeaker5::SpeakToFile(const QString &utterance, int flags)
{
    TSpeechFileStream stream;
    stream.SetFormatType(EngineFormatType(OutputFormat));
    try {
        stream.Open(FileName, 3, m_voiceObject->SampleRate());
        m_voiceObject->SetAudioOutputStream(&stream);
        Log(QStringLiteral("speak"), QStringLiteral("%1\t%2").arg(flags).arg(EscapeForLog(utterance)));
        m_voiceObject->Speak(utterance, flags);
        stream.Close();
    } catch (...) {
        m_voiceObject->SetAudioOutputStream(nullptr);
        throw;
    }
    m_voiceObject->SetAudioOutputStream(nullptr);
}

void TSpeaker5::Stop()
{
    Log(QStringLiteral("stop"), QString());
    TSpeechChannel::Instance().Stop(m_voiceObject);
}

void TSpeaker5::Pause()
{
    Log(QStringLiteral("pause"), QString());
    m_voiceObject->Pause();
}

void TSpeaker5::Resume()
{
    Log(QStringLiteral("resume"), QString());
    m_voiceObject->Resume();
}

} // namespace lexivoce::speech
