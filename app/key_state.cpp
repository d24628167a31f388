#include "app/key_state.h"

#include "dialogs/hot_key.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace lexivoce::app {

namespace {

constexpr quint32 kSuperL = 0xffeb;

} // namespace

bool IsLeftSuperHeld()
{
    xcb_connection_t *connection = dialogs::X11Connection();
    // A layout may put Super_L on several keys.
    const QList<std::uint8_t> codes = dialogs::KeyCodesOf(connection, kSuperL);
    if (codes.isEmpty())
        return false;
    const std::unique_ptr<xcb_query_keymap_reply_t, decltype(&std::free)> keymap(
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr), &std::free);
    if (!keymap)
        return false;
    for (const std::uint8_t code : codes) {
        if (keymap->keys[code / 8] & (1u << (code % 8)))
            return true;
    }
    return false;
}

} // namespace lexivoce::app
