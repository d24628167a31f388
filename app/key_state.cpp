#include "app/key_state.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace lexivoce::app {

namespace {

constexpr xcb_keysym_t kSuperL = 0xffeb;

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};

template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

} // namespace

bool IsLeftSuperHeld()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;

    const xcb_setup_t *setup = xcb_get_setup(connection);
    const xcb_keycode_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    const Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, first, static_cast<uint8_t>(count)), nullptr));
    const Reply<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr));
    if (!mapping || !keymap)
        return false;

    const xcb_keysym_t *symbols = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perCode = mapping->keysyms_per_keycode;
    // Every key code that carries Super_L (a layout may have several).
    for (int code = 0; code < count; ++code) {
        for (int level = 0; level < perCode; ++level) {
            if (symbols[code * perCode + level] != kSuperL)
                continue;
            const int keycode = first + code;
            if (keymap->keys[keycode / 8] & (1u << (keycode % 8)))
                return true;
        }
    }
    return false;
}

} // namespace lexivoce::app
