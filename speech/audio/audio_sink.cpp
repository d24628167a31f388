#include "speech/audio_sink.h"

#include "speech/audio/null_sink.h"
#include "speech/audio/pulse_sink.h"

#include <QtGlobal>

namespace lexivoce::speech {

std::unique_ptr<TAudioSink> CreateAudioSink(const QString &streamName, int sampleRate)
{
    if (qEnvironmentVariable("LEXIVOCE_AUDIO") == QLatin1String("null"))
        return std::make_unique<TNullSink>(sampleRate, false);
    // Anything else, "pulse" included, means the sound server when there is one.
    try {
        if (std::unique_ptr<TPulseSink> sink = TPulseSink::Connect(streamName, sampleRate))
            return sink;
    } catch (...) {
        // The program must still run, silently, without a sound server.
    }
    return std::make_unique<TNullSink>(sampleRate, true);
}

} // namespace lexivoce::speech
