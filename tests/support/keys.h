#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace lexivoce::test {

// Sends one key event as the window system would, with its hardware key, so
// that a release can differ from its press (Shift let go first).
inline void SendKey(QWidget *to, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers, quint32 scanCode,
                    const QString &text = QString())
{
    QKeyEvent event(type, key, modifiers, scanCode, 0, 0, text);
    QApplication::sendEvent(to, &event);
}

} // namespace lexivoce::test
