#include "speech/audio/capture_sink.h"
#include "speech/espeak/espeak_engine.h"
#include "speech/espeak/espeak_units.h"
#include "speech/espeak/espeak_voice.h"
#include "speech/keyboard_echo.h"
#include "speech/speakers.h"
#include "speech/utterance.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QSignalSpy>

#include <sndfile.h>

#include <cmath>

namespace lexivoce::speech::espeak {
namespace {

using namespace std::chrono_literals;

double rms(const std::vector<std::int16_t> &samples, std::size_t from = 0, std::size_t to = SIZE_MAX)
{
    to = std::min(to, samples.size());
    if (to <= from)
        return 0;
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(to - from));
}

// Best normalised correlation of two signals over small shifts, -1..1.
double similarity(const std::vector<std::int16_t> &a, const std::vector<std::int16_t> &b)
{
    const std::ptrdiff_t n = std::min(std::ssize(a), std::ssize(b));
    double best = -1;
    for (std::ptrdiff_t lag = -300; lag <= 300; ++lag) {
        double ab = 0, aa = 0, bb = 0;
        for (std::ptrdiff_t i = 300; i < n - 300; ++i) {
            const double x = a[size_t(i)], y = b[size_t(i + lag)];
            ab += x * y;
            aa += x * x;
            bb += y * y;
        }
        if (aa > 0 && bb > 0)
            best = std::max(best, ab / std::sqrt(aa * bb));
    }
    return best;
}

const QString kEnglish = QStringLiteral("English (Great Britain)");
const QString kVietnamese = QStringLiteral("Vietnamese (Northern)");

// A voice object whose audio is captured.
struct CapturedVoice
{
    // The sink is made here and handed over at the first utterance, so the
    // test thread never reads a pointer the output thread writes.
    explicit CapturedVoice(bool realTime = false)
        : pending(std::make_unique<TCaptureSink>(TEspeakEngine::Instance().SampleRate(), realTime)),
          sink(pending.get()),
          voice(nullptr, [this](int) { return std::move(pending); })
    {
    }

    int IndexOf(const QString &description) const
    {
        const QList<TVoiceToken> voices = voice.GetVoices();
        for (qsizetype i = 0; i < voices.size(); ++i) {
            if (voices[i].Description == description)
                return static_cast<int>(i);
        }
        return -1;
    }

    // Speaks and waits for the end of the utterance.
    std::vector<std::int16_t> SpeakAll(const QString &text, int flags = svsfAsync)
    {
        const std::size_t before = sink->SampleCount();
        QSignalSpy ended(&voice, &TVoiceObject::EndStream);
        voice.Speak(text, flags);
        EXPECT_TRUE(ended.wait(20000));
        const std::vector<std::int16_t> all = sink->Samples();
        return std::vector<std::int16_t>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    }

    std::unique_ptr<TCaptureSink> pending;
    TCaptureSink *sink;
    TEspeakVoice voice;
};

TEST(EspeakUnits, MappingsKeepTheirEndpoints)
{
    EXPECT_EQ(RateToWordsPerMinute(0), 175);
    EXPECT_EQ(RateToWordsPerMinute(-10), 80);   // 58 clamped up
    EXPECT_EQ(RateToWordsPerMinute(10), 450);   // 525 clamped down
    EXPECT_EQ(RateToWordsPerMinute(99), 450);
    EXPECT_EQ(VolumeToEspeak(150), 100);
    EXPECT_EQ(PitchToEspeak(-10), 0);
    EXPECT_EQ(PitchToEspeak(10), 100);
}

TEST(EspeakVoice, OffersEnglishAndVietnameseVoicesInAStableOrder)
{
    CapturedVoice a;
    const QList<TVoiceToken> voices = a.voice.GetVoices();
    ASSERT_GE(a.IndexOf(kEnglish), 0);
    ASSERT_GE(a.IndexOf(kVietnamese), 0);
    for (qsizetype i = 1; i < voices.size(); ++i)
        EXPECT_LT(voices[i - 1].Description.compare(voices[i].Description, Qt::CaseInsensitive), 0);
    EXPECT_EQ(voices[a.voice.Voice()].Description, kEnglish);
}

TEST(EspeakVoice, SpeaksAndReportsWordsWhereTheyStandInTheText)
{
    CapturedVoice a;
    QSignalSpy words(&a.voice, &TVoiceObject::Word);
    const QString text = QStringLiteral("<pitch absmiddle=\"0\"/>The quick &amp; brown fox\n");
    const std::vector<std::int16_t> samples = a.SpeakAll(text);
    EXPECT_GT(rms(samples), 500.0);
    EXPECT_EQ(a.voice.RunningState(), srseDone);
    QStringList spoken;
    for (const QList<QVariant> &word : std::as_const(words))
        spoken.append(text.mid(word[2].toInt(), word[3].toInt()));
    EXPECT_EQ(spoken, (QStringList{QStringLiteral("The"), QStringLiteral("quick"), QStringLiteral("&amp;"),
                                   QStringLiteral("brown"), QStringLiteral("fox")}));
}

TEST(EspeakVoice, DecomposedVietnameseGivesTheSameWordsAsPrecomposed)
{
    CapturedVoice a;
    a.voice.SetVoice(a.IndexOf(kVietnamese));
    for (const QString &text : {QStringLiteral("tiếng Việt"), QStringLiteral("tiếng Việt").normalized(QString::NormalizationForm_D)}) {
        QSignalSpy words(&a.voice, &TVoiceObject::Word);
        a.SpeakAll(text, svsfAsync | svsfIsNotXML);
        QStringList spoken;
        for (const QList<QVariant> &word : std::as_const(words))
            spoken.append(text.mid(word[2].toInt(), word[3].toInt()).normalized(QString::NormalizationForm_C));
        EXPECT_EQ(spoken, (QStringList{QStringLiteral("tiếng"), QStringLiteral("Việt")}));
    }
}

TEST(EspeakVoice, TheVoiceTagSwitchesTheVoiceForItsText)
{
    CapturedVoice a;
    const QString second = QStringLiteral("một hai ba");
    const auto tail = [](const std::vector<std::int16_t> &s) {
        return std::vector<std::int16_t>(s.end() - std::min<std::ptrdiff_t>(3000, std::ssize(s)), s.end());
    };
    const std::vector<std::int16_t> mixed = a.SpeakAll(
        QStringLiteral("<voice required=\"name=%1\">hello</voice><VOICE REQUIRED=\"NAME=%2\">%3</VOICE>")
            .arg(kEnglish, kVietnamese, second));
    const std::vector<std::int16_t> vietnamese =
        a.SpeakAll(QStringLiteral("<voice required=\"name=%1\">%2</voice>").arg(kVietnamese, second));
    const std::vector<std::int16_t> english = a.SpeakAll(second, svsfAsync | svsfIsNotXML);
    // The engine's state carries over between pieces, so the samples are not
    // identical: compare their shapes.
    // Measured: about 0.75 to 0.95 against the Vietnamese reading, 0.15 at
    // most against the English one.
    EXPECT_GT(similarity(tail(mixed), tail(vietnamese)), 0.5);
    EXPECT_GT(similarity(tail(mixed), tail(vietnamese)), similarity(tail(mixed), tail(english)) + 0.3);
}

TEST(EspeakVoice, SignsAreHeardAsTheScreenReaderSaysThem)
{
    // Alone, these signs make the engine say nothing at all; read as
    // characters they are never silence, in either language.
    CapturedVoice a;
    const TLocalStrings words = DefaultLocalStrings();
    const std::pair<QString, QString> cases[] = {{kEnglish, QStringLiteral("<")}, {kEnglish, QStringLiteral("&")},
                                                 {kEnglish, QStringLiteral("\"")}, {kVietnamese, QStringLiteral(">")},
                                                 {kVietnamese, QStringLiteral("[")}};
    for (const auto &[voice, sign] : cases) {
        SCOPED_TRACE((voice + u' ' + sign).toStdString());
        const QString markup = CharacterUtterance(words, sign, voice).Markup();
        EXPECT_GT(rms(a.SpeakAll(markup)), 300.0) << markup.toStdString();
    }
    // Within text they are text: "a<b" is not a broken tag.
    EXPECT_GT(rms(a.SpeakAll(TUtterance(QStringLiteral("a<b")).Markup())), 300.0);
}

TEST(EspeakVoice, StopSilencesAtOnceAndDropsTheQueue)
{
    CapturedVoice a(true);
    QSignalSpy ended(&a.voice, &TVoiceObject::EndStream);
    a.voice.Speak(QStringLiteral("This is a long sentence that would take several seconds to speak aloud. ").repeated(4),
                  svsfAsync);
    a.voice.Speak(QStringLiteral("Queued behind it."), svsfAsync);
    ASSERT_TRUE(a.sink->WaitForSamples(4000, 5000ms));
    EXPECT_EQ(a.voice.RunningState(), srseIsSpeaking);
    const std::size_t atPurge = a.sink->SampleCount();
    a.voice.Speak(QString(), svsfAsync | svsfPurgeBeforeSpeak);
    EXPECT_EQ(a.voice.RunningState(), srseDone);
    std::this_thread::sleep_for(30ms);
    const std::size_t atStop = a.sink->SampleCount();
    const std::size_t block = std::size_t(TEspeakEngine::Instance().SampleRate() * TEspeakVoice::kBlockMs / 1000);
    EXPECT_LE(atStop - atPurge, 2 * block);
    std::this_thread::sleep_for(300ms);
    QCoreApplication::processEvents();
    // At most one block was in flight when the purge came.
    EXPECT_LE(a.sink->SampleCount() - atStop, 0u);
    EXPECT_GE(a.sink->FlushCount(), 1);
    EXPECT_EQ(ended.count(), 0); // events of purged speech never arrive
}

TEST(EspeakVoice, PauseHoldsTheAudioAndResumeGoesOn)
{
    CapturedVoice a(true);
    a.voice.Speak(QStringLiteral("Pausing in the middle of a sentence must keep the rest of it for later."), svsfAsync);
    ASSERT_TRUE(a.sink->WaitForSamples(2205, 5000ms));
    a.voice.Pause();
    std::this_thread::sleep_for(30ms);
    const std::size_t paused = a.sink->SampleCount();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(a.sink->SampleCount(), paused);
    EXPECT_EQ(a.voice.RunningState(), srseIsSpeaking);
    a.voice.Resume();
    EXPECT_TRUE(a.sink->WaitForSamples(paused + 2205, 5000ms));
}

TEST(EspeakVoice, TwoVoiceObjectsSpeakAtTheSameTime)
{
    CapturedVoice a(true);
    CapturedVoice b(true);
    QSignalSpy aEnded(&a.voice, &TVoiceObject::EndStream);
    QSignalSpy bEnded(&b.voice, &TVoiceObject::EndStream);
    a.voice.Speak(QStringLiteral("one two three four five six"), svsfAsync);
    b.voice.SetVoice(b.IndexOf(kVietnamese));
    b.voice.Speak(QStringLiteral("một hai ba bốn năm sáu"), svsfAsync);
    ASSERT_TRUE(aEnded.wait(20000) || aEnded.count() > 0);
    ASSERT_TRUE(bEnded.count() > 0 || bEnded.wait(20000));
    const auto aWrites = a.sink->Writes();
    const auto bWrites = b.sink->Writes();
    ASSERT_FALSE(aWrites.empty());
    ASSERT_FALSE(bWrites.empty());
    // Each started before the other finished.
    EXPECT_LT(aWrites.front().Time, bWrites.back().Time);
    EXPECT_LT(bWrites.front().Time, aWrites.back().Time);
}

class EspeakFileTest : public test::TempDirTest
{
};

TEST_F(EspeakFileTest, SpeakerWritesWaveFilesThroughTheEngine)
{
    TSpeaker5 speaker(nullptr, new TEspeakVoice(nullptr, [](int rate) { return std::make_unique<TCaptureSink>(rate); }));
    speaker.Output = soFile;
    speaker.Text = QStringList{QStringLiteral("hello world")};
    for (const TOutputFormat format : {of11kHz16BitMono, of44kHz16BitStereo, ofCCITT_uLaw_8kHzMono}) {
        speaker.OutputFormat = format;
        speaker.FileName = PathOf(OutputFormatName(format) + QStringLiteral(".wav"));
        speaker.Speak();
        SF_INFO info{};
        SNDFILE *file = sf_open(QFile::encodeName(speaker.FileName).constData(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << speaker.FileName.toStdString();
        sf_close(file);
        const auto wave = WaveFormatOf(EngineFormatType(format), 22050);
        ASSERT_TRUE(wave);
        EXPECT_EQ(info.samplerate, wave->SampleRate);
        EXPECT_EQ(info.channels, wave->Channels);
        const double seconds = double(info.frames) / info.samplerate;
        EXPECT_GT(seconds, 0.3);
        EXPECT_LT(seconds, 3.0);
    }
    // After the file, speech goes to the device again.
    QSignalSpy ended(speaker.VoiceObject(), &TVoiceObject::EndStream);
    speaker.Output = soAudio;
    speaker.Speak();
    EXPECT_TRUE(ended.wait(10000));
}

} // namespace
} // namespace lexivoce::speech::espeak

namespace lexivoce::speech::espeak {
namespace {

// A real sound server (the test command starts a private one).
class EspeakPulseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_server = qEnvironmentVariable("PULSE_SERVER");
        if (m_server.isEmpty() || qEnvironmentVariableIsSet("LEXIVOCE_NO_PULSE"))
            GTEST_SKIP() << "no PulseAudio server for this test";
    }
    void TearDown() override
    {
        if (!m_server.isEmpty())
            qputenv("PULSE_SERVER", m_server.toUtf8());
    }

    static void speakAndWait(TVoiceObject &voice, const QString &text)
    {
        QSignalSpy ended(&voice, &TVoiceObject::EndStream);
        voice.Speak(text, svsfAsync);
        ASSERT_TRUE(ended.wait(20000));
    }

    QString m_server;
};

TEST_F(EspeakPulseTest, AServerThatAppearsLaterIsUsedAtTheNextUtterance)
{
    qputenv("PULSE_SERVER", "unix:/nonexistent/lexivoce-test-socket");
    TEspeakVoice voice;
    speakAndWait(voice, QStringLiteral("one"));
    EXPECT_EQ(voice.DeviceName(), QStringLiteral("no sound device"));

    qputenv("PULSE_SERVER", m_server.toUtf8());
    speakAndWait(voice, QStringLiteral("two"));
    EXPECT_TRUE(voice.DeviceName().startsWith(QStringLiteral("PulseAudio"))) << voice.DeviceName().toStdString();
}

TEST_F(EspeakPulseTest, TwoSpeakersPlayAsTwoStreams)
{
    TEspeakVoice a;
    TEspeakVoice b;
    QSignalSpy aStarted(&a, &TVoiceObject::StartStream);
    QSignalSpy bStarted(&b, &TVoiceObject::StartStream);
    QSignalSpy aEnded(&a, &TVoiceObject::EndStream);
    QSignalSpy bEnded(&b, &TVoiceObject::EndStream);
    a.Speak(QStringLiteral("one two three four five six seven eight"), svsfAsync);
    b.Speak(QStringLiteral("nine ten eleven twelve thirteen fourteen"), svsfAsync);
    ASSERT_TRUE(aStarted.count() > 0 || aStarted.wait(10000));
    ASSERT_TRUE(bStarted.count() > 0 || bStarted.wait(10000));
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
    ASSERT_TRUE(pactl.waitForFinished(10000));
    const QStringList inputs = QString::fromUtf8(pactl.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_GE(inputs.size(), 2) << pactl.readAllStandardOutput().toStdString();
    EXPECT_TRUE(aEnded.count() > 0 || aEnded.wait(20000));
    EXPECT_TRUE(bEnded.count() > 0 || bEnded.wait(20000));
    EXPECT_TRUE(a.DeviceName().startsWith(QStringLiteral("PulseAudio")));
}

} // namespace
} // namespace lexivoce::speech::espeak
