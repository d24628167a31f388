#pragma once

#include <QString>

namespace lexivoce::speech {

// The speech transcript: when the environment variable LEXIVOCE_SPEECH_LOG
// names a file, every call that reaches a voice object is appended to it at
// once as one line: time, speaker name, operation and argument, separated by
// TABs (line breaks, TABs and backslashes in the argument escaped as \n, \r,
// \t and \\). Tests outside the process, and users reporting a problem, read
// what was said there. A new file is made with mode 0600. Thread-safe;
// never throws.
void LogSpeechCall(const QString &speaker, const QString &operation, const QString &argument);

// The escaping used for arguments.
QString EscapeForLog(const QString &text);

} // namespace lexivoce::speech
