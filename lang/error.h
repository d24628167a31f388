#pragma once

#include <QString>
#include <stdexcept>

namespace lexivoce {

// The one exception type of the program. Its message is shown by the standard
// error display, which also speaks it, so it must read well to a user.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace lexivoce
