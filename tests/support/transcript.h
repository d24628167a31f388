#pragma once

// Reading the speech transcript (LEXIVOCE_SPEECH_LOG): one line per call,
// TIME, speaker, operation, argument, TAB-separated and escaped.
#include <QFile>
#include <QList>
#include <QString>
#include <QStringView>

namespace lexivoce::test {

struct SpeechCall
{
    QString Time;      // ISO 8601 with milliseconds
    QString Speaker;
    QString Operation; // speak, stop, heard, done, cut, voice, rate, volume, pause, resume
    QString Text;      // the utterance (a speak call's text after its flags), else the argument; unescaped, NFC
};

inline QString Unescaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i].unicode()) {
        case u'n': out += u'\n'; break;
        case u'r': out += u'\r'; break;
        case u't': out += u'\t'; break;
        default: out += text[i];
        }
    }
    return out;
}

inline QList<SpeechCall> ReadTranscript(const QString &path)
{
    QList<SpeechCall> calls;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return calls;
    QByteArray bytes = file.readAll();
    // A line still being written has no line end yet; the next read gets it.
    bytes.truncate(bytes.lastIndexOf('\n') + 1);
    for (const QByteArray &line : bytes.split('\n')) {
        const QStringList fields = QString::fromUtf8(line).split(u'\t');
        if (fields.size() < 4)
            continue;
        calls.append({fields[0], fields[1], fields[2],
                      Unescaped(fields.last()).normalized(QString::NormalizationForm_C)});
    }
    return calls;
}

} // namespace lexivoce::test
