#pragma once

#include <QObject>
#include <QPointF>
#include <Qt>

#include <optional>

namespace lexivoce::speech {

// Tells the speech channel where a user action begins, from the input that
// reaches the application: a key press, seen at its shortcut check before
// any widget, filter or shortcut acts on it; a mouse press; the program
// becoming active again after another program was (its first activation
// belongs to the start). The hot key and the clipboard look-up reach the
// program some other way: their owners call TSpeechChannel::BeginAction.
//
// An application event filter that never swallows an event. Each press is
// one action however many widgets it travels through.
class TUserActions : public QObject
{
    Q_OBJECT

public:
    // Watches the application's input from now on; does nothing when it is
    // watched already or there is no application yet.
    static void Install();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What tells one press from the next: a press travels to several
    // receivers (the window, the focus widget, its parents), first as a
    // shortcut check, then as the press itself.
    struct TPress
    {
        int Type = 0;        // key or mouse
        int Code = 0;        // key code or mouse button
        quint32 ScanCode = 0;
        int Modifiers = 0;
        quint64 Timestamp = 0;
        bool AutoRepeat = false;
        QPointF Position;    // global position of a mouse press

        bool operator==(const TPress &) const = default;
    };

    explicit TUserActions(QObject *parent);
    void OnPress(const TPress &press);

    std::optional<TPress> m_lastPress;
    bool m_wasActive = false;
};

} // namespace lexivoce::speech
