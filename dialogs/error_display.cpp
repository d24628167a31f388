#include "dialogs/error_display.h"

#include "dialogs/message_dialog.h"
#include "lang/error.h"
#include "speech/speakers.h"
#include "speech/speaking_component.h"

#include <QPointer>
#include <QScopeGuard>
#include <QThread>

#include <cstdio>
#include <exception>
#include <memory>

namespace lexivoce::dialogs {

namespace {

QPointer<speech::TSpeakingComponent> g_speaker;
lang::TLocalize *g_localizer = nullptr;
// Set while an error box is up: a second error then is only said rather
// than stacking boxes (or recursing when the box itself fails).
bool g_showing = false;
// The voice of the box that is up, for an error that comes meanwhile.
QPointer<speech::TSpeakingComponent> g_boxVoice;

void writeToStderr(const QString &message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
}

bool guiAvailable()
{
    const auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

} // namespace

void SetErrorDisplayContext(speech::TSpeakingComponent *speaker, lang::TLocalize *localizer)
{
    g_speaker = speaker;
    g_localizer = localizer;
}

void ResetErrorDisplayContext()
{
    SetErrorDisplayContext(nullptr, nullptr);
}

void ShowError(const QString &message)
{
    if (!guiAvailable()) {
        writeToStderr(message);
        return;
    }
    // With no voice installed the box makes one of its own: an error is
    // never shown without being said.
    std::unique_ptr<speech::TSpeaker5> ownSpeaker;
    std::unique_ptr<speech::TSpeakingComponent> ownVoice;
    speech::TSpeakingComponent *voice = g_speaker ? g_speaker.data() : g_boxVoice.data();
    if (!voice) {
        try {
            ownSpeaker = std::make_unique<speech::TSpeaker5>();
            ownSpeaker->setObjectName(QStringLiteral("spkInterface"));
            ownVoice = std::make_unique<speech::TSpeakingComponent>();
            ownVoice->SetSpeaker(ownSpeaker.get());
            voice = ownVoice.get();
        } catch (...) {
            // No speech engine: the box alone.
        }
    }
    const auto sayInstead = [&] {
        writeToStderr(message);
        if (voice)
            voice->SpeakText(message);
    };
    if (g_showing) {
        // No second box over the first; the error is still heard.
        sayInstead();
        return;
    }
    g_showing = true;
    g_boxVoice = voice;
    const auto done = qScopeGuard([] {
        g_showing = false;
        g_boxVoice = nullptr;
    });
    // Translated if possible, else in the built-in texts, else spoken alone.
    for (lang::TLocalize *localizer : {g_localizer, static_cast<lang::TLocalize *>(nullptr)}) {
        try {
            ShowMessageDialog(message, mtError, mbOK, 0, voice, localizer);
            return;
        } catch (const Error &) {
        } catch (const std::exception &) {
        }
        if (!localizer)
            break;
    }
    sayInstead();
}

// ---------------------------------------------------------------------------

TApplication::TApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Error &failure) {
        ShowError(failure.message());
    } catch (const std::exception &failure) {
        ShowError(QString::fromLocal8Bit(failure.what()));
    }
    return false;
}

} // namespace lexivoce::dialogs
