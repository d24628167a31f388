#include "app/first_use_check.h"

#include "app/main_dict.h"
#include "app/profile.h"
#include "app/startup_voice.h"
#include "lang/error.h"
#include "lang/messages.h"
#include "speech/audio/pulse_sink.h"
#include "speech/speakers.h"
#include "speech/utterance.h"
#include "speech/voice_object.h"

#include <QDir>
#include <QEventLoop>
#include <QPrinter>
#include <QProcessEnvironment>
#include <QSystemTrayIcon>
#include <QTextStream>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdio>

namespace lexivoce::app {

namespace {

// The longest the report may take to say before the program ends anyway.
constexpr int kSpeechTimeoutMs = 60000;

// The voice the shipped dictionary asks for when it is there, else the
// first of the language.
QString voiceOf(const QStringList &names, const QString &preferred, const QString &start)
{
    if (names.contains(preferred))
        return preferred;
    for (const QString &name : names) {
        if (name.startsWith(start, Qt::CaseInsensitive))
            return name;
    }
    return QString();
}

} // namespace

QList<TCheckLine> FirstUseReport(const TCheckProbes &probes,
                                 const std::function<QString(const lang::TMessage &)> &text)
{
    QList<TCheckLine> report;
    const auto add = [&](const QString &value, const lang::TMessage &found, const lang::TMessage &missing,
                         bool neededForSpeech) {
        const bool ok = !value.isEmpty();
        report.append({ok ? FormatMessage(text(found), value) : text(missing), ok, neededForSpeech});
    };
    add(probes.SoundServer(), lang::MSGCHECK001, lang::MSGCHECK002, true);
    const QStringList voices = probes.VoiceNames();
    add(voiceOf(voices, QStringLiteral("English (Great Britain)"), QStringLiteral("English")), lang::MSGCHECK003,
        lang::MSGCHECK004, true);
    add(voiceOf(voices, QStringLiteral("Vietnamese (Northern)"), QStringLiteral("Vietnamese")), lang::MSGCHECK005,
        lang::MSGCHECK006, true);
    add(probes.XServer(), lang::MSGCHECK007, lang::MSGCHECK008, false);
    const bool tray = probes.NotificationArea();
    report.append({text(tray ? lang::MSGCHECK009 : lang::MSGCHECK010), tray, false});
    add(probes.DefaultPrinter(), lang::MSGCHECK011, lang::MSGCHECK012, false);

    bool all = true;
    for (const TCheckLine &line : std::as_const(report))
        all = all && line.Found;
    const bool speech = SpeechCanWork(report);
    report.append({text(all ? lang::MSGCHECK013 : speech ? lang::MSGCHECK014 : lang::MSGCHECK015), all, false});
    return report;
}

bool SpeechCanWork(const QList<TCheckLine> &report)
{
    for (const TCheckLine &line : report) {
        if (line.NeededForSpeech && !line.Found)
            return false;
    }
    return true;
}

QString XServerDisplay()
{
    // Asked of the X server itself: DISPLAY may name one that is gone.
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return QString();
    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return ok ? QString::fromLocal8Bit(display) : QString();
}

TCheckProbes SystemProbes()
{
    TCheckProbes probes;
    probes.SoundServer = [] {
        const std::unique_ptr<speech::TPulseSink> sink = speech::TPulseSink::Connect(QStringLiteral("Lexivoce check"), 22050);
        // "PulseAudio at unix:/run/user/…": the socket is no news to a listener.
        return sink ? sink->Name().section(QStringLiteral(" at "), 0, 0) : QString();
    };
    probes.VoiceNames = [] {
        try {
            return speech::TSpeaker5().VoiceNames;
        } catch (const Error &) {
            return QStringList();
        }
    };
    probes.XServer = [] { return XServerDisplay(); };
    probes.NotificationArea = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    probes.DefaultPrinter = [] {
        const std::unique_ptr<QPrinter> printer = DefaultPrinter();
        return printer ? printer->printerName() : QString();
    };
    return probes;
}

int RunFirstUseCheck(const QStringList &arguments, const TCheckProbes &probes)
{
    TStartupVoice voice;
    try {
        const TProfileChoice profile = ResolveProfile(arguments, QProcessEnvironment::systemEnvironment(),
                                                      QDir::currentPath(), InstalledDataDirectory());
        voice.UseProfile(profile.Directory);
    } catch (const Error &) {
        // A profile that cannot be used is the program's to report when it
        // starts; the check speaks English.
    }
    const QList<TCheckLine> report =
        FirstUseReport(probes, [&voice](const lang::TMessage &message) { return voice.Text(message); });

    QTextStream out(stdout);
    speech::TUtterance said;
    for (const TCheckLine &line : report) {
        out << (line.Found ? "  " : "! ") << line.Text << '\n';
        said.Add(line.Text).AddPause();
    }
    out.flush();
    // Said only where it can be heard: a null device would take as long
    // as speaking, for nobody.
    if (!report.first().Found)
        return 1;
    if (voice.Say(said.Trimmed())) {
        QEventLoop loop;
        QTimer::singleShot(kSpeechTimeoutMs, &loop, &QEventLoop::quit);
        voice.WhenSaid([&loop] { loop.quit(); });
        loop.exec();
    }
    return SpeechCanWork(report) ? 0 : 1;
}

} // namespace lexivoce::app
