#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QWidget>

class QTimer;

namespace lexivoce::dialogs {

class THotKeyRegistrar;

// The program's icon in the desktop's notification area: reports clicks on
// it, can animate it, hides the owner window to it when the window is
// minimized, and holds the system-wide hot key that brings the program back.
// Where the desktop has no notification area the icon's state is still kept
// (IsInTray) but the window is never hidden, as nothing could bring it back.
class TTrayIcon : public QObject
{
    Q_OBJECT

public:
    // registrar: where hot keys are registered; nullptr for the X11 one,
    // owned by the icon. A given registrar is not owned.
    explicit TTrayIcon(QWidget *owner, THotKeyRegistrar *registrar = nullptr);
    ~TTrayIcon() override;

    // The tip text; the desktop is given at most its first 127 characters.
    QString Hint() const { return m_hint; }
    void SetHint(const QString &hint);
    // Off: the icon has no tip.
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool show);

    // Cycling through IconList; cannot be switched on while it is empty.
    bool Animate() const { return m_animate; }
    void SetAnimate(bool animate);
    // Frames per second, 1 to 255; 0 counts as 1.
    quint8 Speed() const { return m_speed; }
    void SetSpeed(quint8 speed);
    QList<QIcon> IconList() const { return m_iconList; }
    // An empty list switches Animate off.
    void SetIconList(const QList<QIcon> &frames);

    // Shown on a right click. Each item's shortcut is a system-wide hot key
    // too, under the item's 1-based position; a press arrives as OnShortcut.
    // Not owned: a menu destroyed elsewhere is forgotten.
    QMenu *PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(QMenu *menu);

    // Minimizing the owner window adds the icon and takes the window off the
    // task bar.
    bool MinimizeToTray() const { return m_minimizeToTray; }
    void SetMinimizeToTray(bool on) { m_minimizeToTray = on; }

    // The system-wide hot key (see hot_key.h for the value), registered at
    // once under id 0; 0 unregisters it.
    quint16 Shortcut() const { return m_shortcut; }
    void SetShortcut(quint16 shortcut);

    // The still icon; by default the application's, or a drawn book when the
    // application has none. An empty icon is ignored: the desktop would
    // refuse it.
    QIcon Icon() const { return m_icon; }
    void SetIcon(const QIcon &icon);

    // Whether the icon is in the notification area.
    bool IsInTray() const { return m_inTray; }

    // Shows the icon, starting the animation when Animate is on.
    void AddToTray();
    // Hides the icon and stops the animation.
    void RemoveFromTray();
    // Hands the current icon and tip to the desktop.
    void UpdateTrayIcon();
    // Brings the owner window back: shown, no longer minimized, in front.
    void RestoreApplication();
    // Brings the owner window in front of other programs' windows from
    // wherever it is (in the notification area, minimized, behind others):
    // minimized and restored, which makes window managers raise a window
    // that a plain request from a program in the background would leave
    // behind. The window manager may answer the minimize only after the
    // restore, on a busy machine; for some seconds such a report brings the
    // window back again instead of hiding it.
    void BringToFront();

Q_SIGNALS:
    void OnClick();
    void OnDblClick();
    // shift: the modifier keys held; cursor: where the mouse pointer is.
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint &cursor, bool doubleClick);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint &cursor);
    // Never raised: the desktop does not report the mouse moving over the
    // icon.
    void OnMouseMove(Qt::KeyboardModifiers shift, const QPoint &cursor);
    // A registered hot key, whichever of them, was pressed.
    void OnShortcut(quint16 shortcut);
    // Only a click on a balloon can be observed through Qt; the other three
    // are never raised.
    void OnBalloonHintShow();
    void OnBalloonHintHide();
    void OnBalloonHintTimeout();
    void OnBalloonHintClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void nextFrame();
    void hideOwnerIfStillMinimized();
    void unregisterMenuHotKeys();
    QString tip() const;

    QPointer<QWidget> m_owner;
    QPointer<THotKeyRegistrar> m_registrar;
    QSystemTrayIcon *m_trayIcon = nullptr;
    QTimer *m_timer = nullptr;

    QString m_hint;
    bool m_showHint = true;
    bool m_animate = false;
    quint8 m_speed = 5;
    QList<QIcon> m_iconList;
    QPointer<QMenu> m_popupMenu;
    QList<int> m_menuHotKeyIds;
    bool m_minimizeToTray = false;
    quint16 m_shortcut = 0;
    QIcon m_icon;

    QIcon m_currentIcon;
    int m_frame = 0;
    bool m_inTray = false;
    // Running since BringToFront minimized the window itself.
    QElapsedTimer m_ownMinimize;
};

} // namespace lexivoce::dialogs
