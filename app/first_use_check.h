#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace lexivoce::lang {
struct TMessage;
}

namespace lexivoce::app {

// What the program needs from the desktop, asked one question each, so that
// tests can answer them.
struct TCheckProbes
{
    // The sound server that answers (its name), or empty.
    std::function<QString()> SoundServer;
    // The installed voices, by name.
    std::function<QStringList()> VoiceNames;
    // The X server's display name, or empty when none answers.
    std::function<QString()> XServer;
    std::function<bool()> NotificationArea;
    // The default printer's name, or empty.
    std::function<QString()> DefaultPrinter;
};

struct TCheckLine
{
    QString Text;
    bool Found = false;
    // Without it nothing can be heard.
    bool NeededForSpeech = false;
};

// The report, one line per need, then a last line that sums it up; texts
// through text (the interface language's messages).
QList<TCheckLine> FirstUseReport(const TCheckProbes &probes,
                                 const std::function<QString(const lang::TMessage &)> &text);

// Speech can work: every line it needs was found.
bool SpeechCanWork(const QList<TCheckLine> &report);

// The display of the X server DISPLAY names, when one answers there.
QString XServerDisplay();

// The probes of this system: PulseAudio (never started), espeak-ng's voices,
// the X server of DISPLAY, Qt's notification area, the default printer.
TCheckProbes SystemProbes();

// lexivoce --check: prints the report, says it when a sound server answers,
// and returns the exit status (0 when speech can work, else 1). Runs inside
// the application object; the profile's language is used when it has one.
int RunFirstUseCheck(const QStringList &arguments, const TCheckProbes &probes = SystemProbes());

} // namespace lexivoce::app
