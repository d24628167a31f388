// The main window's key preview: every key of the window is seen here once,
// at the control that has the focus, before the control acts on it.
#include "app/main_dict.h"

#include "app/command_keys.h"
#include "speech/entry_reader.h"
#include "speech/keyboard_echo.h"
#include "speech/speaking_component.h"
#include "view/styled_view.h"

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

namespace lexivoce::app {

bool TfrmMainDict::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *widget = qobject_cast<QWidget *>(watched);
        // The window sees each key once, at the control that has the focus;
        // a key travelling up to the parents, or to a popup menu, is not a
        // key of this window.
        QWidget *focus = QApplication::focusWidget();
        if (!widget || widget->window() != this || (widget != focus && !(focus == nullptr && widget == this)))
            break;
        if (event->type() == QEvent::KeyPress)
            return OnKeyPress(widget, static_cast<QKeyEvent *>(event));
        OnKeyRelease(widget, static_cast<QKeyEvent *>(event));
        break;
    }
    case QEvent::FocusIn: {
        // Back from a menu: nothing new to say, and the entry is not read
        // again.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason)
            break;
        // The edit describes itself (its label and word); the history list
        // says the edit's word as well.
        if (watched == lstHistory)
            edtLookupEnter();
        else if (watched == rvMeaning)
            m_reader->ReadEntryText(true);
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmMainDict::OnKeyPress(QWidget *receiver, QKeyEvent *event)
{
    const int key = event->key();
    m_shiftAlone = key == Qt::Key_Shift;
    // Commands Qt would not run here: hidden ones, those a text field takes
    // for itself, disabled ones (answered).
    if (m_commandKeys->KeyPress(receiver, *event))
        return true;
    // A key held down repeats its press; the release acts on the first.
    const quint64 identity = speech::KeyIdentity(*event);
    if (!event->isAutoRepeat() || !m_keyPresses.contains(identity)) {
        TKeyPress press{receiver, key, event->modifiers(), false};
        if (receiver == rvMeaning && (key == Qt::Key_Up || key == Qt::Key_Down))
            press.AtEdge = key == Qt::Key_Up ? rvMeaning->IsCaretOnFirstLine() : rvMeaning->IsCaretOnLastLine();
        m_keyPresses.insert(identity, press);
    }
    if (IsSpeechChord(key, event->modifiers()))
        return true; // acted on at the release; never typed into a field
    if (receiver == edtLookup)
        edtLookupKeyDown(key);
    return false;
}

void TfrmMainDict::OnKeyRelease(QWidget *receiver, QKeyEvent *event)
{
    if (event->isAutoRepeat())
        return;
    // A release whose press went elsewhere (Enter on a menu item, whose menu
    // gave the focus back) is not a key for this control.
    const auto found = m_keyPresses.constFind(speech::KeyIdentity(*event));
    if (found == m_keyPresses.cend())
        return;
    const TKeyPress press = found.value();
    m_keyPresses.erase(found);
    if (press.Receiver != receiver)
        return;
    if (press.Key == Qt::Key_Shift) {
        // Shift tapped alone silences; after Shift+arrow the reading goes on.
        if (m_shiftAlone) {
            sp->StopSpeaking();
            spInterface->StopSpeaking();
        }
        return;
    }
    TntFormKeyUp(press.Key, press.Modifiers);
    if ((receiver == edtLookup || receiver == lstHistory) && (press.Key == Qt::Key_Return || press.Key == Qt::Key_Enter))
        edtLookupKeyUp(receiver, press.Key);
    else if (receiver == rvMeaning)
        rvMeaningKeyUp(press.Key, press.Modifiers, press.AtEdge);
}

void TfrmMainDict::OnDisabledCommand(QAction *command)
{
    if (command == mnuBack) {
        mnuBackClick();
    } else if (command == mnuForward) {
        mnuForwardClick();
    } else {
        spInterface->SpeakText(speech::StripAccelerator(command->text()) + u' ' + spInterface->Words.stDisabled);
    }
}

QString TfrmMainDict::DictionaryWordVoice() const
{
    return GetDictVoiceName(1);
}

} // namespace lexivoce::app
