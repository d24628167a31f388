#include "speech/wave_file.h"

#include "lang/error.h"

#include <QFile>

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <vector>

namespace lexivoce::speech {

namespace {

constexpr int kCreateForWrite = 3;
// Samples converted per pass, so that a long utterance never needs one huge
// buffer.
constexpr std::size_t kChunk = 4096;

} // namespace

struct TSpeechFileStream::Impl
{
    QString FileName;
    SNDFILE *File = nullptr;
    SRC_STATE *Resampler = nullptr; // null when the file has the source rate
    double Ratio = 1.0;
    int Channels = 1;
    std::vector<float> In;
    std::vector<float> Out;
    std::vector<std::int16_t> Converted;
    std::vector<std::int16_t> Frames;

    ~Impl()
    {
        if (Resampler)
            src_delete(Resampler);
        if (File)
            sf_close(File);
    }

    [[noreturn]] void fail(const QString &what) const
    {
        throw Error(QStringLiteral("%1 the wave file %2: %3")
                        .arg(what, FileName, QString::fromLocal8Bit(sf_strerror(File))));
    }

    // Writes mono samples at the file's rate, duplicated for stereo.
    void writeMono(const std::int16_t *samples, std::size_t count)
    {
        const std::int16_t *frames = samples;
        if (Channels == 2) {
            Frames.resize(count * 2);
            for (std::size_t i = 0; i < count; ++i)
                Frames[2 * i] = Frames[2 * i + 1] = samples[i];
            frames = Frames.data();
        }
        const auto total = static_cast<sf_count_t>(count * Channels);
        if (sf_write_short(File, frames, total) != total)
            fail(QStringLiteral("Cannot write"));
    }

    // Runs the resampler over count source samples (none and endOfInput at
    // the close, to get its tail) and writes what it gives.
    void resample(const std::int16_t *samples, std::size_t count, bool endOfInput)
    {
        In.resize(count);
        if (count)
            src_short_to_float_array(samples, In.data(), static_cast<int>(count));
        Out.resize(static_cast<std::size_t>(kChunk * Ratio) + 64);
        Converted.resize(Out.size());
        SRC_DATA data{};
        data.data_in = In.data();
        data.input_frames = static_cast<long>(count);
        data.src_ratio = Ratio;
        data.end_of_input = endOfInput ? 1 : 0;
        for (;;) {
            data.data_out = Out.data();
            data.output_frames = static_cast<long>(Out.size());
            if (const int error = src_process(Resampler, &data))
                throw Error(QStringLiteral("Cannot convert the sample rate for the wave file %1: %2")
                                .arg(FileName, QString::fromLocal8Bit(src_strerror(error))));
            if (data.output_frames_gen > 0) {
                // src_float_to_short_array clips, where the filter overshoots.
                src_float_to_short_array(Out.data(), Converted.data(), static_cast<int>(data.output_frames_gen));
                writeMono(Converted.data(), static_cast<std::size_t>(data.output_frames_gen));
            }
            data.data_in += data.input_frames_used;
            data.input_frames -= data.input_frames_used;
            if (data.input_frames == 0 && (!endOfInput || data.output_frames_gen == 0))
                return;
            if (data.input_frames_used == 0 && data.output_frames_gen == 0)
                return; // nothing moves: avoid spinning
        }
    }
};

TSpeechFileStream::TSpeechFileStream() = default;

TSpeechFileStream::~TSpeechFileStream()
{
    try {
        Close();
    } catch (const Error &) {
        // A destructor cannot report it; Close() is where callers hear it.
    }
}

void TSpeechFileStream::Open(const QString &fileName, int mode, int sourceSampleRate)
{
    if (mode != kCreateForWrite)
        throw Error(QStringLiteral("A wave file can only be opened to create it (mode 3), not in mode %1.").arg(mode));
    if (sourceSampleRate <= 0)
        throw Error(QStringLiteral("The wave file %1 cannot be created: the voice has no sample rate.").arg(fileName));
    const std::optional<TWaveFormat> format = WaveFormatOf(m_formatType, sourceSampleRate);
    if (!format) {
        QString name = OutputFormatName(m_formatType + 1);
        if (name.isEmpty())
            name = QStringLiteral("number %1").arg(m_formatType);
        throw Error(QStringLiteral("The wave format %1 cannot be written.").arg(name));
    }
    Close();

    auto impl = std::make_unique<Impl>();
    impl->FileName = fileName;
    impl->Channels = format->Channels;
    SF_INFO info{};
    info.samplerate = format->SampleRate;
    info.channels = format->Channels;
    info.format = format->SndFileFormat;
    impl->File = sf_open(QFile::encodeName(fileName).constData(), SFM_WRITE, &info);
    if (!impl->File)
        impl->fail(QStringLiteral("Cannot create"));
    if (format->SampleRate != sourceSampleRate) {
        int error = 0;
        impl->Resampler = src_new(SRC_SINC_FASTEST, 1, &error);
        if (!impl->Resampler)
            throw Error(QStringLiteral("Cannot convert the sample rate for the wave file %1: %2")
                            .arg(fileName, QString::fromLocal8Bit(src_strerror(error))));
        impl->Ratio = double(format->SampleRate) / sourceSampleRate;
    }
    m_impl = std::move(impl);
    m_sourceRate = sourceSampleRate;
}

bool TSpeechFileStream::IsOpen() const
{
    return m_impl != nullptr;
}

void TSpeechFileStream::Write(const std::int16_t *samples, std::size_t count)
{
    if (!m_impl)
        throw Error(QStringLiteral("No wave file is open to write the speech into."));
    while (count > 0) {
        const std::size_t n = std::min(count, kChunk);
        if (m_impl->Resampler)
            m_impl->resample(samples, n, false);
        else
            m_impl->writeMono(samples, n);
        samples += n;
        count -= n;
    }
}

void TSpeechFileStream::Close()
{
    if (!m_impl)
        return;
    // Whatever happens, the stream is closed afterwards.
    std::unique_ptr<Impl> impl = std::move(m_impl);
    if (impl->Resampler)
        impl->resample(nullptr, 0, true);
    SNDFILE *file = impl->File;
    impl->File = nullptr;
    if (const int error = sf_close(file))
        throw Error(QStringLiteral("Cannot finish the wave file %1: %2")
                        .arg(impl->FileName, QString::fromLocal8Bit(sf_error_number(error))));
}

} // namespace lexivoce::speech
