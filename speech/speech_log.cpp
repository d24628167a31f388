#include "speech/speech_log.h"

#include <QDateTime>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

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
    // program dies right after. A new transcript is the user's alone: it may
    // hold what was on the clipboard.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const QByteArray bytes = line.toUtf8();
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n <= 0)
            break;
        written += n;
    }
    ::close(fd);
}

} // namespace lexivoce::speech
