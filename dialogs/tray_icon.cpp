#include "dialogs/tray_icon.h"

#include "dialogs/hot_key.h"
#include "speech/speech_channel.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <QWindowStateChangeEvent>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace lexivoce::dialogs {

namespace {

// The longest tip the icon shows, in UTF-16 units: what the Windows
// notification area has always allowed the program.
constexpr qsizetype kTipLength = 127;

// How long after BringToFront a "minimized" report of the window manager may
// still be its late answer. A busy machine takes its time; a user does not
// minimize a window this soon after calling it back.
constexpr qint64 kLateReportMs = 10000;

// A closed blue book with white page edges and a label: something to show
// when the application has no icon of its own.
QIcon drawnBook()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor dark(0x1f, 0x3a, 0x68);
    painter.setPen(QPen(dark, 2));
    painter.setBrush(QColor(0x2f, 0x6f, 0xb5));
    painter.drawRoundedRect(QRectF(5, 3, 22, 26), 2, 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(9, 24, 17, 3));
    painter.drawRect(QRectF(13, 8, 10, 5));
    painter.setPen(QPen(dark, 2));
    painter.drawLine(QPointF(9, 4), QPointF(9, 23));
    painter.end();
    return QIcon(pixmap);
}

QIcon defaultIcon(const QWidget *owner)
{
    QIcon icon = owner ? owner->windowIcon() : QGuiApplication::windowIcon();
    return icon.isNull() ? drawnBook() : icon;
}

// Qt marks a minimized window's WM_HINTS "iconic" and takes that back only
// when it restores the window itself, not when the window manager reports the
// change. A window withdrawn with the mark would be mapped iconic when shown
// again, come back minimized and be hidden at once; so the hint is reset to
// "normal" once the window is withdrawn. Nothing to do away from X.
void clearIconicHint(QWidget *window)
{
    xcb_connection_t *connection = X11Connection();
    const auto id = static_cast<xcb_window_t>(window->internalWinId());
    if (!connection || id == 0)
        return;
    // flags, input, initial_state, then six fields that stay as they are.
    constexpr std::uint32_t kStateHint = 1u << 1;
    constexpr std::uint32_t kNormalState = 1;
    std::array<std::uint32_t, 9> hints{};
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, hints.size()),
        nullptr);
    if (!reply)
        return;
    const int length = xcb_get_property_value_length(reply);
    if (reply->format == 32 && length >= 3 * 4) {
        std::memcpy(hints.data(), xcb_get_property_value(reply),
                    std::min<std::size_t>(static_cast<std::size_t>(length), sizeof hints));
        hints[0] |= kStateHint;
        hints[2] = kNormalState;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                            hints.size(), hints.data());
        xcb_flush(connection);
    }
    std::free(reply);
}

} // namespace

TTrayIcon::TTrayIcon(QWidget *owner, THotKeyRegistrar *registrar)
    : QObject(owner),
      m_owner(owner),
      m_registrar(registrar ? registrar : new TX11HotKeys(this)),
      m_trayIcon(new QSystemTrayIcon(this)),
      m_timer(new QTimer(this)),
      m_icon(defaultIcon(owner))
{
    m_currentIcon = m_icon;
    m_timer->setInterval(1000 / m_speed);
    connect(m_timer, &QTimer::timeout, this, &TTrayIcon::nextFrame);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &TTrayIcon::activated);
    connect(m_trayIcon, &QSystemTrayIcon::messageClicked, this, &TTrayIcon::OnBalloonHintClick);
    connect(m_registrar, &THotKeyRegistrar::Pressed, this, [this](int, quint16 shortcut) {
        // A hot key is a user action of its own, wherever the focus was.
        speech::TSpeechChannel::Instance().BeginAction();
        Q_EMIT OnShortcut(shortcut);
    });
    if (owner)
        owner->installEventFilter(this);
    UpdateTrayIcon();
}

TTrayIcon::~TTrayIcon()
{
    RemoveFromTray();
    if (m_registrar) {
        unregisterMenuHotKeys();
        if (m_shortcut != 0)
            m_registrar->Unregister(0);
    }
    if (m_owner)
        m_owner->removeEventFilter(this);
}

void TTrayIcon::SetHint(const QString &hint)
{
    m_hint = hint;
    UpdateTrayIcon();
}

void TTrayIcon::SetShowHint(bool show)
{
    m_showHint = show;
    UpdateTrayIcon();
}

void TTrayIcon::SetAnimate(bool animate)
{
    if (animate && m_iconList.isEmpty())
        return;
    if (animate == m_animate)
        return;
    m_animate = animate;
    if (animate) {
        if (m_inTray) {
            m_frame = 0;
            m_currentIcon = m_iconList.first();
            m_timer->start();
        }
    } else {
        m_timer->stop();
        m_currentIcon = m_icon;
    }
    UpdateTrayIcon();
}

void TTrayIcon::SetSpeed(quint8 speed)
{
    // 0 would divide by zero; the slowest animation is the nearest sense.
    m_speed = std::max<quint8>(speed, 1);
    m_timer->setInterval(1000 / m_speed);
}

void TTrayIcon::SetIconList(const QList<QIcon> &frames)
{
    m_iconList = frames;
    if (frames.isEmpty())
        SetAnimate(false);
    else if (m_frame >= frames.size())
        m_frame = 0;
}

void TTrayIcon::SetPopupMenu(QMenu *menu)
{
    unregisterMenuHotKeys();
    if (m_popupMenu)
        disconnect(m_popupMenu, nullptr, this, nullptr);
    m_popupMenu = menu;
    if (!menu)
        return;
    connect(menu, &QObject::destroyed, this, &TTrayIcon::unregisterMenuHotKeys);
    if (!m_registrar)
        return;
    const QList<QAction *> items = menu->actions();
    for (qsizetype i = 0; i < items.size(); ++i) {
        const quint16 shortcut = ShortcutFromKeySequence(items[i]->shortcut());
        if (shortcut == 0)
            continue;
        const int id = static_cast<int>(i) + 1;
        // Remembered even when refused: part of it may have been taken.
        m_registrar->Register(id, shortcut);
        m_menuHotKeyIds.append(id);
    }
}

void TTrayIcon::unregisterMenuHotKeys()
{
    if (m_registrar) {
        for (int id : std::as_const(m_menuHotKeyIds))
            m_registrar->Unregister(id);
    }
    m_menuHotKeyIds.clear();
}

void TTrayIcon::SetShortcut(quint16 shortcut)
{
    if (shortcut == m_shortcut)
        return;
    m_shortcut = shortcut;
    if (!m_registrar)
        return;
    if (shortcut != 0)
        m_registrar->Register(0, shortcut);
    else
        m_registrar->Unregister(0);
}

void TTrayIcon::SetIcon(const QIcon &icon)
{
    if (icon.isNull())
        return;
    m_icon = icon;
    if (!m_timer->isActive())
        m_currentIcon = m_icon;
    UpdateTrayIcon();
}

void TTrayIcon::AddToTray()
{
    if (m_animate && !m_iconList.isEmpty()) {
        m_frame = 0;
        m_currentIcon = m_iconList.first();
        m_timer->start();
    } else {
        m_currentIcon = m_icon;
    }
    m_inTray = true;
    UpdateTrayIcon();
    m_trayIcon->show();
}

void TTrayIcon::RemoveFromTray()
{
    m_timer->stop();
    m_trayIcon->hide();
    m_inTray = false;
}

void TTrayIcon::UpdateTrayIcon()
{
    m_trayIcon->setIcon(m_currentIcon);
    m_trayIcon->setToolTip(tip());
}

void TTrayIcon::RestoreApplication()
{
    if (!m_owner)
        return;
    // Restored before it is shown: a hidden window still marked minimized
    // would be mapped iconic and, on X, come back minimized. Only the
    // minimized flag goes: a window minimized from maximized comes back
    // maximized.
    m_owner->setWindowState(m_owner->windowState() & ~Qt::WindowMinimized);
    m_owner->show();
    m_owner->raise();
    m_owner->activateWindow();
}

void TTrayIcon::BringToFront()
{
    if (!m_owner)
        return;
    const bool toTray = m_minimizeToTray;
    m_minimizeToTray = false;
    m_ownMinimize.start();
    m_owner->showMinimized();
    m_minimizeToTray = toTray;
    RemoveFromTray();
    RestoreApplication();
}

QString TTrayIcon::tip() const
{
    if (!m_showHint)
        return {};
    QString text = m_hint.left(kTipLength);
    // Half a character would show as garbage.
    if (text.size() == kTipLength && text.back().isHighSurrogate())
        text.chop(1);
    return text;
}

void TTrayIcon::nextFrame()
{
    if (m_iconList.isEmpty()) {
        SetAnimate(false);
        return;
    }
    m_frame = (m_frame + 1) % static_cast<int>(m_iconList.size());
    m_currentIcon = m_iconList.at(m_frame);
    UpdateTrayIcon();
}

void TTrayIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    const QPoint cursor = QCursor::pos();
    const Qt::KeyboardModifiers shift = QGuiApplication::queryKeyboardModifiers();
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        // Qt reports a click as one event; the listeners expect all three.
        Q_EMIT OnMouseDown(Qt::LeftButton, shift, cursor, false);
        Q_EMIT OnClick();
        Q_EMIT OnMouseUp(Qt::LeftButton, shift, cursor);
        break;
    case QSystemTrayIcon::DoubleClick:
        Q_EMIT OnDblClick();
        Q_EMIT OnMouseDown(Qt::LeftButton, shift, cursor, true);
        if (m_popupMenu) {
            if (QAction *action = m_popupMenu->defaultAction())
                action->trigger();
        }
        break;
    case QSystemTrayIcon::Context:
        Q_EMIT OnMouseUp(Qt::RightButton, shift, cursor);
        // Shown here rather than through QSystemTrayIcon::setContextMenu,
        // which would also show it on its own on some desktops: twice.
        if (m_popupMenu)
            m_popupMenu->popup(cursor);
        break;
    case QSystemTrayIcon::MiddleClick:
        Q_EMIT OnMouseDown(Qt::MiddleButton, shift, cursor, false);
        Q_EMIT OnMouseUp(Qt::MiddleButton, shift, cursor);
        break;
    case QSystemTrayIcon::Unknown:
        break;
    }
}

bool TTrayIcon::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_owner && event->type() == QEvent::WindowStateChange && m_owner->isMinimized()
        && !(static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized)) {
        if (event->spontaneous() && m_ownMinimize.isValid() && !m_ownMinimize.hasExpired(kLateReportMs)) {
            // The window manager answering BringToFront's minimize after
            // its restore: the window stays in front.
            QMetaObject::invokeMethod(this, &TTrayIcon::RestoreApplication, Qt::QueuedConnection);
        } else if (m_minimizeToTray) {
            AddToTray();
            // Without a notification area nothing would bring a hidden window
            // back: it stays on the task bar, minimized.
            if (QSystemTrayIcon::isSystemTrayAvailable()) {
                // Later: QWidget::showMinimized shows the window again right
                // after this event.
                QMetaObject::invokeMethod(this, &TTrayIcon::hideOwnerIfStillMinimized, Qt::QueuedConnection);
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void TTrayIcon::hideOwnerIfStillMinimized()
{
    if (m_owner && m_owner->isMinimized() && m_inTray) {
        m_owner->hide();
        clearIconicHint(m_owner);
    }
}

} // namespace lexivoce::dialogs
