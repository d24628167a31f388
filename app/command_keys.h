#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QAction;
class QKeyEvent;

namespace lexivoce::app {

// Keeps a window's command keys working where Qt would not run them: the
// commands that are hidden (Qt 6.4 grabs no shortcut for a hidden action),
// those a text field takes for its editing (on X11 a line edit takes Ctrl+E
// for "end of line" and Ctrl+D for "delete"), and disabled ones, which are
// answered rather than passed over in silence. A text field keeps its
// clipboard and undo keys.
class TCommandKeys
{
public:
    explicit TCommandKeys(QWidget *window);

    // Called for the key of a disabled command.
    std::function<void(QAction *command)> OnDisabled;

    // For a key press that reached receiver, the focus widget of the window:
    // runs the command the key belongs to and returns true (the press is
    // used up), or returns false.
    bool KeyPress(QWidget *receiver, const QKeyEvent &event) const;

private:
    QAction *CommandOf(const QKeyEvent &event) const;

    QPointer<QWidget> m_window;
};

} // namespace lexivoce::app
