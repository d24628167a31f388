#pragma once

#include "speech/output_format.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace lexivoce::speech {

// The file stream object: a wave file of a chosen format that a voice object
// speaks into (its audio output stream).
class TSpeechFileStream
{
public:
    TSpeechFileStream();
    ~TSpeechFileStream();
    TSpeechFileStream(const TSpeechFileStream &) = delete;
    TSpeechFileStream &operator=(const TSpeechFileStream &) = delete;

    // Engine format type (EngineFormatType of a TOutputFormat); set before
    // Open. Default: EngineFormatType(ofDefault).
    void SetFormatType(int engineFormatType) { m_formatType = engineFormatType; }
    int FormatType() const { return m_formatType; }

    // mode 3 = create for write (the only mode). Throws lexivoce::Error when
    // the format cannot be written ("The wave format ... cannot be written")
    // or the file cannot be created.
    void Open(const QString &fileName, int mode, int sourceSampleRate);
    bool IsOpen() const;

    // Appends mono samples at the source rate, converted to the file's rate,
    // channels and encoding. Throws lexivoce::Error on a write error.
    void Write(const std::int16_t *samples, std::size_t count);

    // Flushes and closes; throws on a failure to finish the file. Does
    // nothing when not open.
    void Close();

    int SourceSampleRate() const { return m_sourceRate; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    int m_formatType = -1;
    int m_sourceRate = 0;
};

} // namespace lexivoce::speech
