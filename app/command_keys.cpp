#include "app/command_keys.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace lexivoce::app {

namespace {

bool isTextField(const QWidget *widget)
{
    const auto *line = qobject_cast<const QLineEdit *>(widget);
    if (line)
        return !line->isReadOnly();
    if (const auto *text = qobject_cast<const QTextEdit *>(widget))
        return !text->isReadOnly();
    if (const auto *text = qobject_cast<const QPlainTextEdit *>(widget))
        return !text->isReadOnly();
    return false;
}

// The keys a user expects of every text field, whatever commands say.
bool isFieldKey(const QKeyEvent &event)
{
    for (const QKeySequence::StandardKey key : {QKeySequence::Paste, QKeySequence::Copy, QKeySequence::Cut,
                                                QKeySequence::Undo, QKeySequence::Redo, QKeySequence::SelectAll}) {
        if (event.matches(key))
            return true;
    }
    return false;
}

} // namespace

TCommandKeys::TCommandKeys(QWidget *window)
    : m_window(window)
{
}

QAction *TCommandKeys::CommandOf(const QKeyEvent &event) const
{
    const QKeySequence pressed(event.keyCombination());
    for (QAction *action : m_window->findChildren<QAction *>()) {
        if (action->isSeparator() || action->menu())
            continue;
        for (const QKeySequence &shortcut : action->shortcuts()) {
            if (shortcut.matches(pressed) == QKeySequence::ExactMatch)
                return action;
        }
    }
    return nullptr;
}

bool TCommandKeys::KeyPress(QWidget *receiver, const QKeyEvent &event) const
{
    if (!m_window || !receiver || receiver->window() != m_window)
        return false;
    // Plain typing is never a command here: the window's commands all use
    // a modifier, a function key or Escape.
    if (event.modifiers() == Qt::NoModifier && !event.text().isEmpty() && event.text().front().unicode() >= 32)
        return false;
    if (isTextField(receiver) && isFieldKey(event))
        return false;
    QAction *command = CommandOf(event);
    if (!command)
        return false;
    // Qt disables what it hides; a hidden command still runs, unless it was
    // disabled as well (trigger() then does nothing).
    if (command->isVisible() && !command->isEnabled()) {
        if (OnDisabled && !event.isAutoRepeat())
            OnDisabled(command);
        return true;
    }
    if (!event.isAutoRepeat() || command->autoRepeat())
        command->trigger();
    return true;
}

} // namespace lexivoce::app
