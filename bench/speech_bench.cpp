// Speech latency: from Speak to the first sound handed to the device, next to
// raw espeak-ng's time to its first sample measured in the same run; and from
// a purge to the end of synthesis and to the flushed device.
#include "bench/bench_help.h"
#include "speech/audio/capture_sink.h"
#include "speech/espeak/espeak_engine.h"
#include "speech/espeak/espeak_voice.h"

#include <espeak-ng/speak_lib.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace lexivoce::speech;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

struct Sample
{
    const char *Name;
    const char *Voice;      // espeak identifier
    const char *VoiceName;  // our description
    const char *Text;
};

const Sample kSamples[] = {
    {"letter, English", "gmw/en", "English (Great Britain)", "a"},
    {"word, English", "gmw/en", "English (Great Britain)", "hello"},
    {"30 words, English", "gmw/en", "English (Great Britain)",
     "The quick brown fox jumps over the lazy dog while the children watch from the old stone bridge "
     "and the river carries small leaves down towards the quiet sea far away"},
    {"letter, Vietnamese", "aav/vi", "Vietnamese (Northern)", "a"},
    {"word, Vietnamese", "aav/vi", "Vietnamese (Northern)", "xin"},
    {"30 words, Vietnamese", "aav/vi", "Vietnamese (Northern)",
     "Hôm nay trời đẹp nên chúng tôi đi dạo trong công viên gần nhà và ngắm nhìn những cây xanh cùng "
     "các em nhỏ đang vui chơi bên hồ nước trong"},
};

// Raw espeak-ng: time from espeak_Synth to the first sample that is not zero,
// and to the first one above our silence threshold.
Clock::time_point g_rawStart;
double g_rawFirstNonZero = -1;
double g_rawFirstSound = -1;
std::size_t g_rawSamples = 0;

int rawCallback(short *wave, int count, espeak_EVENT *)
{
    const double now = std::chrono::duration<double, std::milli>(Clock::now() - g_rawStart).count();
    for (int i = 0; wave && i < count; ++i) {
        if (g_rawFirstNonZero < 0 && wave[i] != 0)
            g_rawFirstNonZero = now;
        if (g_rawFirstSound < 0 && std::abs(int(wave[i])) >= espeak::TEspeakEngine::kSilenceThreshold) {
            g_rawFirstSound = now;
            g_rawSamples += std::size_t(i);
            return 1;
        }
    }
    g_rawSamples += std::size_t(std::max(count, 0));
    return 0;
}

struct Raw
{
    double FirstNonZero;
    double FirstSound;
    double SilenceMs;
};

Raw measureRaw(const Sample &sample, int runs)
{
    espeak_SetVoiceByName(sample.Voice);
    Raw best{1e9, 1e9, 0};
    for (int r = 0; r < runs; ++r) {
        g_rawFirstNonZero = g_rawFirstSound = -1;
        g_rawSamples = 0;
        g_rawStart = Clock::now();
        espeak_Synth(sample.Text, std::strlen(sample.Text) + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
        best.FirstNonZero = std::min(best.FirstNonZero, g_rawFirstNonZero);
        best.FirstSound = std::min(best.FirstSound, g_rawFirstSound);
        best.SilenceMs = double(g_rawSamples) * 1000.0 / 22050.0;
    }
    return best;
}

double msSince(Clock::time_point start, Clock::time_point end)
{
    return std::chrono::duration<double, std::milli>(end - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    if (lexivoce::bench::AnswerHelp(argc, argv,
                          "Usage: lexivoce-speech-bench [--quick]\n"
                          "Times speaking to the first sound, next to raw espeak-ng in the same run,\n"
                          "and a purge to silence. Set LEXIVOCE_AUDIO=null to run without a sound server.\n"))
        return 0;
    QCoreApplication app(argc, argv);
    const int runs = app.arguments().contains(QStringLiteral("--quick")) ? 3 : 15;

    // Raw espeak-ng first, on its own, then handed over to our engine.
    if (espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 20, nullptr, espeakINITIALIZE_DONT_EXIT) <= 0) {
        std::fputs("espeak-ng is not installed\n", stderr);
        return 1;
    }
    espeak_SetSynthCallback(rawCallback);
    std::vector<Raw> raw;
    for (const Sample &sample : kSamples)
        raw.push_back(measureRaw(sample, runs));
    espeak_Terminate();

    std::unique_ptr<TCaptureSink> pending = std::make_unique<TCaptureSink>(22050, true);
    TCaptureSink *sink = pending.get();
    espeak::TEspeakVoice voice(nullptr, [&](int) { return std::move(pending); });
    const QList<TVoiceToken> voices = voice.GetVoices();

    // Both "first sound" columns take the first sample at or above the
    // silence threshold that our engine trims to; raw espeak-ng's first
    // non-zero sample is shown beside them.
    std::printf("\n| %-22s | %-16s | %-22s | %-22s | %-20s | %-8s |\n", "speak to first sound", "ours (best, ms)",
                "raw espeak-ng, same cut", "raw espeak-ng, non-zero", "raw leading silence", "target");
    std::printf("|%s|%s|%s|%s|%s|%s|\n", std::string(24, '-').c_str(), std::string(18, '-').c_str(),
                std::string(24, '-').c_str(), std::string(24, '-').c_str(), std::string(22, '-').c_str(),
                std::string(10, '-').c_str());
    for (std::size_t s = 0; s < std::size(kSamples); ++s) {
        const Sample &sample = kSamples[s];
        for (qsizetype i = 0; i < voices.size(); ++i) {
            if (voices[i].Description == QLatin1String(sample.VoiceName))
                voice.SetVoice(int(i));
        }
        double best = 1e9;
        for (int r = 0; r < runs + 1; ++r) {
            QSignalSpy ended(&voice, &TVoiceObject::EndStream);
            const std::size_t before = sink->SampleCount();
            const Clock::time_point start = Clock::now();
            voice.Speak(QString::fromUtf8(sample.Text), svsfAsync | svsfIsNotXML);
            // Wait for the first sound, then cut the rest short.
            const auto deadline = start + 5s;
            double first = -1;
            while (first < 0 && Clock::now() < deadline) {
                for (const TCaptureSink::TEvent &write : sink->Writes()) {
                    if (write.FirstSample + write.Count <= before)
                        continue;
                    const std::vector<std::int16_t> all = sink->Samples();
                    for (std::size_t k = std::max(before, write.FirstSample); k < write.FirstSample + write.Count; ++k) {
                        if (std::abs(int(all[k])) >= espeak::TEspeakEngine::kSilenceThreshold) {
                            first = msSince(start, write.Time);
                            break;
                        }
                    }
                    if (first >= 0)
                        break;
                }
                if (first < 0)
                    std::this_thread::sleep_for(50us);
            }
            voice.Speak(QString(), svsfAsync | svsfPurgeBeforeSpeak);
            QCoreApplication::processEvents();
            if (r > 0 && first >= 0) // the first run warms the voice up
                best = std::min(best, first);
        }
        std::printf("| %-22s | %16.2f | %22.2f | %22.2f | %17.1f ms | %-8s |\n", sample.Name, best,
                    raw[s].FirstSound, raw[s].FirstNonZero, raw[s].SilenceMs, best <= 3.0 ? "<= 3 ms" : "MISSED");
    }

    // Purge: synthesis abandoned and device flushed.
    double synthesisStop = 1e9;
    double deviceStop = 1e9;
    for (int r = 0; r < runs; ++r) {
        // Long enough that synthesis is still running when the purge comes.
        const QString sentence = QString::fromUtf8(kSamples[2].Text) + QStringLiteral(". ");
        voice.Speak(sentence.repeated(40), svsfAsync | svsfIsNotXML);
        sink->WaitForSamples(sink->SampleCount() + 441, 5000ms);
        const int flushes = sink->FlushCount();
        const Clock::time_point stop = Clock::now();
        voice.Speak(QString(), svsfAsync | svsfPurgeBeforeSpeak);
        std::this_thread::sleep_for(60ms);
        const Clock::time_point abandoned{Clock::duration(espeak::TEspeakEngine::Instance().LastAbandoned())};
        if (abandoned >= stop)
            synthesisStop = std::min(synthesisStop, msSince(stop, abandoned));
        if (sink->FlushCount() > flushes) {
            for (const TCaptureSink::TEvent &event : sink->Events()) {
                if (event.IsFlush && event.Time >= stop)
                    deviceStop = std::min(deviceStop, msSince(stop, event.Time));
            }
        }
        QCoreApplication::processEvents();
    }
    std::printf("\n| %-40s | %10s | %-8s |\n", "after a purge", "ms (best)", "target");
    std::printf("|%s|%s|%s|\n", std::string(42, '-').c_str(), std::string(12, '-').c_str(), std::string(10, '-').c_str());
    std::printf("| %-40s | %10.3f | %-8s |\n", "synthesis abandoned", synthesisStop, synthesisStop <= 1.0 ? "<= 1 ms" : "MISSED");
    std::printf("| %-40s | %10.3f | %-8s |\n", "device flushed", deviceStop, "");
    std::printf("| %-40s | %10d | %-8s |\n", "device buffer (ms)", int(TPlaybackClock::kAhead.count()), "<= 20");
    std::printf("| %-40s | %10d | %-8s |\n", "largest write (ms)", espeak::TEspeakVoice::kBlockMs, "");
    return 0;
}
