#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace lexivoce::lang {
class TLocalize;
struct TMessage;
}
namespace lexivoce::speech {
class TSpeaker5;
class TSpeakingComponent;
class TUtterance;
}

namespace lexivoce::app {

// The program's voice before its window has one: finding and filling the
// profile and taking its single-instance socket can fail, and a user who
// cannot see the screen must hear why. Speaks and translates the standard
// error display in the interface language when the profile's configuration
// names one whose file is there, else in English (the shipped English
// file). Writes nothing. Installed as the error display's context while it
// lives; the main window installs its own over it.
class TStartupVoice
{
public:
    TStartupVoice();
    ~TStartupVoice();

    TStartupVoice(const TStartupVoice &) = delete;
    TStartupVoice &operator=(const TStartupVoice &) = delete;

    // The profile is known: its language from now on, when there is one.
    void UseProfile(const QString &profileDirectory);

    // A text in the language in use.
    QString Text(const lang::TMessage &message) const;

    // Says text; false when there is no speech engine to say it.
    bool Say(const speech::TUtterance &text);
    // Calls then once everything said has been heard (or cut off).
    void WhenSaid(std::function<void()> then);

    // The error display speaks and translates through this voice (again).
    void Install();
    // The main window speaks now: the voice is given up, the error display
    // left to the window.
    void Retire();

private:
    void UseLanguageFile(const QString &languageFile);

    std::unique_ptr<speech::TSpeaker5> m_speaker;
    std::unique_ptr<speech::TSpeakingComponent> m_component;
    std::unique_ptr<lang::TLocalize> m_localizer;
    bool m_retired = false;
};

} // namespace lexivoce::app
