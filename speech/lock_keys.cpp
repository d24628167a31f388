#include "speech/lock_keys.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <xcb/xcb.h>

#include <cstdlib>
#include <optional>

namespace lexivoce::speech {

namespace {

struct Followed
{
    bool Caps = false;
    bool Num = false;
    bool Scroll = false;
};

Followed &followed()
{
    static Followed state;
    return state;
}

// Bits of the core protocol: Lock is the Caps Lock modifier; Num Lock is
// usually Mod2; Scroll Lock shows only as keyboard LED 3.
constexpr unsigned kLockMask = XCB_MOD_MASK_LOCK;
constexpr unsigned kNumMask = XCB_MOD_MASK_2;
constexpr unsigned kScrollLed = 1u << 2;

std::optional<bool> fromServer(Qt::Key key)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    if (key == Qt::Key_ScrollLock) {
        xcb_get_keyboard_control_reply_t *reply =
            xcb_get_keyboard_control_reply(connection, xcb_get_keyboard_control(connection), nullptr);
        if (!reply)
            return std::nullopt;
        const bool on = (reply->led_mask & kScrollLed) != 0;
        std::free(reply);
        return on;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return std::nullopt;
    xcb_query_pointer_reply_t *reply =
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, screen->root), nullptr);
    if (!reply)
        return std::nullopt;
    const bool on = (reply->mask & (key == Qt::Key_CapsLock ? kLockMask : kNumMask)) != 0;
    std::free(reply);
    return on;
}

} // namespace

void TLockKeys::Track(const QKeyEvent &event)
{
    if (event.isAutoRepeat())
        return;
    Followed &state = followed();
    switch (event.key()) {
    case Qt::Key_CapsLock: state.Caps = !state.Caps; break;
    case Qt::Key_NumLock: state.Num = !state.Num; break;
    case Qt::Key_ScrollLock: state.Scroll = !state.Scroll; break;
    default: break;
    }
}

bool TLockKeys::IsOn(Qt::Key key)
{
    if (key != Qt::Key_CapsLock && key != Qt::Key_NumLock && key != Qt::Key_ScrollLock)
        return false;
    if (const std::optional<bool> server = fromServer(key))
        return *server;
    const Followed &state = followed();
    return key == Qt::Key_CapsLock ? state.Caps : (key == Qt::Key_NumLock ? state.Num : state.Scroll);
}

void TLockKeys::Reset()
{
    followed() = Followed();
}

} // namespace lexivoce::speech
