#include "speech/speech_log.h"

#include <QDateTime>
#include <QFile>

#include <mutex>

namespace lexivoce::speech {

QString EscapeForLog(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        default: out += c;
        }
    }
    return out;
}

void LogSpeechCall(const QString &speaker, const QString &operation, const QString &argument)
{
    const QString path = qEnvironmentVariable("LEXIVOCE_SPEECH_LOG");
    if (path.isEmpty())
        return;
    static std::mutex mutex;
    const QString line = QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + u'\t' + speaker + u'\t'
                         + operation + u'\t' + argument + u'\n';
    const std::lock_guard lock(mutex);
    // Opened per line so that every line is on disk at once, even if the
    // program dies right after.
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(line.toUtf8());
}

} // namespace lexivoce::speech
