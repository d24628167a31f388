#include "dialogs/error_display.h"

#include "dialogs/message_dialog.h"
#include "lang/error.h"
#include "speech/speaking_component.h"

#include <QPointer>
#include <QScopeGuard>
#include <QThread>

#include <cstdio>
#include <exception>

namespace lexivoce::dialogs {

namespace {

QPointer<speech::TSpeakingComponent> g_speaker;
lang::TLocalize *g_localizer = nullptr;
// Set while an error box is up: a second error then goes to stderr rather
// than stacking boxes (or recursing when the box itself fails).
bool g_showing = false;

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
    if (!guiAvailable() || g_showing) {
        writeToStderr(message);
        return;
    }
    g_showing = true;
    const auto done = qScopeGuard([] { g_showing = false; });
    try {
        ShowMessageDialog(message, mtError, mbOK, 0, g_speaker.data(), g_localizer);
    } catch (const Error &failure) {
        writeToStderr(message);
        writeToStderr(failure.message());
    } catch (const std::exception &failure) {
        writeToStderr(message);
        writeToStderr(QString::fromLocal8Bit(failure.what()));
    }
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
