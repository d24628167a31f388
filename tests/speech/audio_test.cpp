#include "lang/error.h"
#include "speech/audio/capture_sink.h"
#include "speech/audio/pulse_sink.h"
#include "speech/wave_file.h"
#include "tests/support/temp_dir.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <thread>
#include <tuple>

namespace lexivoce::speech {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<std::int16_t> Tone(int rate, std::chrono::milliseconds length)
{
    std::vector<std::int16_t> samples(std::size_t(rate) * length.count() / 1000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(10000 * std::sin(2 * M_PI * 440 * double(i) / rate));
    return samples;
}

double Rms(const std::int16_t *samples, std::size_t count)
{
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return count ? std::sqrt(sum / double(count)) : 0;
}

// What a member's name says its wave file holds (ofDefault: the engine's
// 22050 Hz, 16-bit mono), or nullopt for the members without a wave format.
std::optional<std::tuple<int, int, int>> FormatNamed(const QString &name)
{
    if (name == QLatin1String("ofDefault"))
        return std::tuple(22050, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    static const QRegularExpression pattern(
        QStringLiteral("^of(?:CCITT_)?(ALaw_|uLaw_|ADPCM_|GSM610_)?(\\d+)kHz(8Bit|16Bit)?(Mono|Stereo)$"));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return std::nullopt;
    const int kHz = match.captured(2).toInt();
    const QString codec = match.captured(1) + match.captured(3);
    const int subtype = codec == QLatin1String("ALaw_") ? SF_FORMAT_ALAW : codec == QLatin1String("uLaw_") ? SF_FORMAT_ULAW
        : codec == QLatin1String("ADPCM_") ? SF_FORMAT_MS_ADPCM : codec == QLatin1String("GSM610_") ? SF_FORMAT_GSM610
        : codec == QLatin1String("8Bit") ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16;
    return std::tuple(kHz % 11 == 0 ? kHz * 11025 / 11 : kHz * 1000, match.captured(4) == QLatin1String("Stereo") ? 2 : 1,
                      SF_FORMAT_WAV | subtype);
}

// Sets (or with nullptr removes) an environment variable for a scope.
struct TEnvGuard
{
    TEnvGuard(const char *name, const char *value) : Name(name), Had(qEnvironmentVariableIsSet(name)), Old(qgetenv(name))
    {
        value ? qputenv(name, value) : qunsetenv(name);
    }
    ~TEnvGuard() { Had ? qputenv(Name, Old) : qunsetenv(Name); }
    const char *Name;
    bool Had;
    QByteArray Old;
};

TEST(OutputFormatTest, NamesRoundTripAndEngineValues)
{
    for (int i = 0; i < kOutputFormatCount; ++i)
        EXPECT_EQ(OutputFormatFromName(OutputFormatName(i)), std::optional(TOutputFormat(i))) << i;
    EXPECT_EQ(kOutputFormatCount, 70);
    EXPECT_EQ(OutputFormatName(of11kHz16BitMono), QLatin1String("of11kHz16BitMono"));
    EXPECT_EQ(OutputFormatName(ofCCITT_ALaw_8kHzMono), QLatin1String("ofCCITT_ALaw_8kHzMono"));
    EXPECT_EQ(EngineFormatType(ofDefault), -1);
    EXPECT_EQ(EngineFormatType(of11kHz16BitMono), 10);
    EXPECT_TRUE(OutputFormatName(-1).isEmpty() && OutputFormatName(70).isEmpty());
    EXPECT_FALSE(OutputFormatFromName(QStringLiteral("of11khz16bitmono")));
}

class WaveFileTest : public test::TempDirTest {};

TEST_F(WaveFileTest, EachFormatHoldsWhatItsNameSaysAndReadsBack)
{
    const std::vector<std::int16_t> tone = Tone(22050, 500ms);
    int written = 0;
    for (int ordinal = 0; ordinal < kOutputFormatCount; ++ordinal) {
        const std::string name = OutputFormatName(ordinal).toStdString();
        const auto named = FormatNamed(OutputFormatName(ordinal));
        const std::optional<TWaveFormat> format = WaveFormatOf(ordinal - 1, 22050);
        ASSERT_EQ(format.has_value(), named.has_value()) << name;
        if (!format)
            continue;
        ++written;
        EXPECT_EQ(std::tuple(format->SampleRate, format->Channels, format->SndFileFormat), *named) << name;
        const QString path = PathOf(OutputFormatName(ordinal) + QLatin1String(".wav"));
        TSpeechFileStream stream;
        stream.SetFormatType(ordinal - 1);
        stream.Open(path, 3, 22050);
        stream.Write(tone.data(), 1000); // uneven pieces, as an engine delivers them
        stream.Write(tone.data() + 1000, tone.size() - 1000);
        stream.Close();
        EXPECT_FALSE(stream.IsOpen());

        SF_INFO info{};
        SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << name;
        EXPECT_EQ(std::tuple(info.samplerate, info.channels, info.format), *named) << name;
        // Codecs pad their last block: MS ADPCM's holds up to 4084 frames, GSM
        // may add two of 320.
        const double expected = format->SampleRate * 0.5;
        const bool adpcm = (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_MS_ADPCM;
        EXPECT_GE(double(info.frames), expected - 1) << name; // nothing lost, the resampler's tail included
        EXPECT_LE(double(info.frames), expected + 1 + (adpcm ? 4084 : 640)) << name;
        std::vector<std::int16_t> frames(std::size_t(info.frames * info.channels));
        sf_readf_short(file, frames.data(), info.frames);
        sf_close(file);
        // A 10000-amplitude sine has an RMS of about 7071, lossy codecs included.
        EXPECT_NEAR(Rms(frames.data(), frames.size()), 7071, 1000) << name;
        EXPECT_TRUE(info.channels == 1 || frames[1001] == frames[1000]) << name; // stereo: both alike
    }
    EXPECT_EQ(written, 65); // all but the five without a wave format
    EXPECT_FALSE(WaveFormatOf(-2, 22050) || WaveFormatOf(kOutputFormatCount - 1, 22050));
}

TEST_F(WaveFileTest, RefusesWhatItCannotWrite)
{
    const auto errorOf = [](const std::function<void()> &action) {
        try {
            action();
        } catch (const Error &error) {
            return error.message();
        }
        return QStringLiteral("(no error)");
    };
    for (const auto &[type, message] : {std::pair(EngineFormatType(ofText), "The wave format ofText cannot be written"),
                                        std::pair(EngineFormatType(ofTrueSpeech_8kHz1BitMono),
                                                  "The wave format ofTrueSpeech_8kHz1BitMono cannot be written"),
                                        std::pair(99, "cannot be written")}) {
        TSpeechFileStream stream;
        stream.SetFormatType(type);
        EXPECT_TRUE(errorOf([&] { stream.Open(PathOf(QStringLiteral("a.wav")), 3, 22050); }).contains(QLatin1String(message)));
        EXPECT_FALSE(stream.IsOpen());
    }
    TSpeechFileStream stream;
    EXPECT_TRUE(errorOf([&] { stream.Open(PathOf(QStringLiteral("a.wav")), 2, 22050); }).contains(QLatin1String("mode 2")));
    const QString missing = PathOf(QStringLiteral("no/such/dir/a.wav"));
    EXPECT_TRUE(errorOf([&] { stream.Open(missing, 3, 22050); }).contains(missing));
    EXPECT_FALSE(stream.IsOpen());
    const std::int16_t sample = 0;
    EXPECT_THROW(stream.Write(&sample, 1), Error);
    EXPECT_NO_THROW(stream.Close());
}

TEST(PlaybackClockTest, PacesWritesLikeADeviceBuffer)
{
    const Clock::time_point t0 = Clock::now();
    TPlaybackClock clock(1000); // one sample a millisecond
    EXPECT_EQ(clock.Add(200, t0), t0 + 180ms); // may run 20 ms ahead
    EXPECT_EQ(clock.Pending(t0 + 50ms), 150ms);
    EXPECT_EQ(clock.Add(100, t0 + 180ms), t0 + 280ms); // queued behind the first
    clock.Flush(t0 + 100ms);
    EXPECT_EQ(clock.Pending(t0 + 100ms), 0ms);
    EXPECT_EQ(clock.Add(10, t0 + 100ms), t0 + 90ms); // fits in the buffer: no wait
    EXPECT_EQ(clock.Add(100, t0 + 1s), t0 + 1s + 80ms); // ran dry: idle time earns no credit
}

TEST(NullSinkTest, TakesAboutAsLongAsPlaying)
{
    TNullSink sink(16000, false);
    EXPECT_FALSE(sink.IsFallback());
    EXPECT_TRUE(TNullSink(16000, true).IsFallback());
    const std::vector<std::int16_t> tone = Tone(16000, 200ms);
    const Clock::time_point start = Clock::now();
    for (std::size_t i = 0; i < tone.size(); i += 160)
        ASSERT_TRUE(sink.Write(tone.data() + i, 160));
    const auto took = Clock::now() - start;
    EXPECT_GT(took, 100ms);
    EXPECT_LT(took, 1000ms);
}

TEST(CaptureSinkTest, RecordsWritesAndFlushesInOrder)
{
    TCaptureSink sink(16000);
    const std::vector<std::int16_t> tone = Tone(16000, 10ms);
    std::thread writer([&] {
        sink.Write(tone.data(), 100);
        sink.Flush();
        sink.Write(tone.data() + 100, 60);
    });
    EXPECT_TRUE(sink.WaitForSamples(160, 5s));
    writer.join();
    EXPECT_FALSE(sink.WaitForSamples(161, 10ms));
    EXPECT_EQ(sink.Samples(), tone);
    const auto events = sink.Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_TRUE(events[1].IsFlush);
    EXPECT_EQ(events[2].FirstSample, 100u);
    EXPECT_LE(events[0].Time, events[2].Time);
    EXPECT_EQ(sink.Writes().size(), 2u);
    EXPECT_EQ(sink.FlushCount(), 1);
    sink.SetFailing(true);
    EXPECT_FALSE(sink.Write(tone.data(), 1));
    EXPECT_EQ(sink.SampleCount(), 160u);
}

TEST(AudioSinkTest, FallsBackToTheNullDeviceWithoutAServer)
{
    TEnvGuard server("PULSE_SERVER", "unix:/nonexistent/lexivoce-test/native");
    TEnvGuard audio("LEXIVOCE_AUDIO", nullptr);
    EXPECT_EQ(TPulseSink::Connect(QStringLiteral("test"), 16000), nullptr);
    EXPECT_TRUE(CreateAudioSink(QStringLiteral("test"), 16000)->IsFallback());
    TEnvGuard forced("LEXIVOCE_AUDIO", "null");
    EXPECT_FALSE(CreateAudioSink(QStringLiteral("test"), 16000)->IsFallback());
}

// These need the private server of tests/support/with_pulseaudio.
class PulseSinkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("PULSE_SERVER") || qEnvironmentVariable("LEXIVOCE_NO_PULSE") == QLatin1String("1"))
            GTEST_SKIP() << "no PulseAudio server (run under tests/support/with_pulseaudio)";
    }
};

TEST_F(PulseSinkTest, CreateAudioSinkConnectsToTheServer)
{
    TEnvGuard audio("LEXIVOCE_AUDIO", nullptr);
    const std::unique_ptr<TAudioSink> sink = CreateAudioSink(QStringLiteral("test"), 16000);
    EXPECT_NE(dynamic_cast<TPulseSink *>(sink.get()), nullptr) << sink->Name().toStdString();
}

TEST_F(PulseSinkTest, PlaysAToneThatTheMonitorRecords)
{
    QProcess recorder;
    recorder.start(QStringLiteral("parec"), QStringLiteral("-d null.monitor --format=s16le --channels=1 --rate=16000 "
                                                           "--latency-msec=20").split(QLatin1Char(' ')));
    ASSERT_TRUE(recorder.waitForStarted(5000));
    ASSERT_TRUE(recorder.waitForReadyRead(5000)); // recording runs before the tone starts
    QByteArray recorded = recorder.readAll();

    const std::unique_ptr<TPulseSink> sink = TPulseSink::Connect(QStringLiteral("tone"), 16000);
    ASSERT_NE(sink, nullptr);
    const std::vector<std::int16_t> tone = Tone(16000, 400ms), silence(4000);
    ASSERT_TRUE(sink->Write(tone.data(), tone.size()));
    ASSERT_TRUE(sink->Write(silence.data(), silence.size()));
    // Record as much audio again as was played, counted in samples, not time.
    const qsizetype want = recorded.size() + qsizetype(tone.size() + silence.size()) * 4;
    while (recorded.size() < want && recorder.waitForReadyRead(5000))
        recorded += recorder.readAll();
    recorder.terminate();
    recorder.waitForFinished(5000);

    // Loudness in 20 ms windows: silence, then the tone, then silence again.
    const auto *samples = reinterpret_cast<const std::int16_t *>(recorded.constData());
    std::vector<bool> loud;
    for (qsizetype i = 0; i + 320 <= recorded.size() / 2; i += 320)
        loud.push_back(Rms(samples + i, 320) > 2000);
    const auto first = std::find(loud.begin(), loud.end(), true);
    ASSERT_NE(first, loud.end());
    EXPECT_NE(first, loud.begin());
    const auto after = std::find(first, loud.end(), false);
    ASSERT_NE(after, loud.end());
    EXPECT_EQ(std::find(after, loud.end(), true), loud.end());
    const std::size_t begin = std::size_t(first - loud.begin()) * 320, end = std::size_t(after - loud.begin()) * 320;
    EXPECT_NEAR((end - begin) / 16000.0, 0.4, 0.05);
    int crossings = 0;
    for (std::size_t i = begin + 1; i < end; ++i)
        crossings += (samples[i - 1] < 0) != (samples[i] < 0);
    EXPECT_NEAR(crossings / 2.0 / ((end - begin) / 16000.0), 440, 20);
}

TEST_F(PulseSinkTest, TwoSinksAreTwoStreams)
{
    const auto a = TPulseSink::Connect(QStringLiteral("Lexivoce test A"), 16000);
    const auto b = TPulseSink::Connect(QStringLiteral("Lexivoce test B"), 22050);
    ASSERT_TRUE(a && b);
    const std::vector<std::int16_t> tone = Tone(16000, 30ms);
    EXPECT_TRUE(a->Write(tone.data(), tone.size()) && b->Write(tone.data(), tone.size()));
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sink-inputs")});
    ASSERT_TRUE(pactl.waitForFinished(5000));
    const QString inputs = QString::fromUtf8(pactl.readAllStandardOutput());
    EXPECT_TRUE(inputs.contains(QLatin1String("media.name = \"Lexivoce test A\""))) << inputs.toStdString();
    EXPECT_TRUE(inputs.contains(QLatin1String("media.name = \"Lexivoce test B\""))) << inputs.toStdString();
    EXPECT_EQ(inputs.count(QLatin1String("application.name = \"Lexivoce\"")), 2);
}

} // namespace
} // namespace lexivoce::speech
