#include "speech/user_actions.h"

#include "speech/speech_channel.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

namespace lexivoce::speech {

namespace {

QPointer<TUserActions> &installed()
{
    static QPointer<TUserActions> instance;
    return instance;
}

} // namespace

TUserActions::TUserActions(QObject *parent)
    : QObject(parent)
{
}

void TUserActions::Install()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || installed())
        return;
    installed() = new TUserActions(application);
    application->installEventFilter(installed());
}

bool TUserActions::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        const auto *key = static_cast<const QKeyEvent *>(event);
        OnPress({QEvent::KeyPress, key->key(), key->nativeScanCode(), int(key->modifiers()), key->timestamp(),
                 key->isAutoRepeat(), QPointF()});
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        OnPress({QEvent::MouseButtonPress, int(mouse->button()), 0, int(mouse->modifiers()), mouse->timestamp(),
                 false, mouse->globalPosition()});
        break;
    }
    case QEvent::KeyRelease:
    case QEvent::MouseButtonRelease:
        // The next press, even of the same key, is a new action.
        m_lastPress.reset();
        break;
    case QEvent::ApplicationStateChange:
        if (watched == QCoreApplication::instance()
            && static_cast<const QApplicationStateChangeEvent *>(event)->applicationState() == Qt::ApplicationActive) {
            if (m_wasActive)
                TSpeechChannel::Instance().BeginAction();
            m_wasActive = true;
        }
        break;
    default:
        break;
    }
    return false;
}

void TUserActions::OnPress(const TPress &press)
{
    if (m_lastPress && *m_lastPress == press)
        return;
    m_lastPress = press;
    TSpeechChannel::Instance().BeginAction();
}

} // namespace lexivoce::speech
