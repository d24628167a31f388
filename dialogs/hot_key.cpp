#include "dialogs/hot_key.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace lexivoce::dialogs {

namespace {

struct NamedKey
{
    quint8 VirtualKey;
    Qt::Key QtKey;
    quint32 Keysym;
};

// Keys outside the letter, digit and function-key ranges.
constexpr std::array kNamedKeys{
    NamedKey{0x08, Qt::Key_Backspace, XK_BackSpace}, NamedKey{vkTab, Qt::Key_Tab, XK_Tab},
    NamedKey{vkReturn, Qt::Key_Return, XK_Return},   NamedKey{vkEscape, Qt::Key_Escape, XK_Escape},
    NamedKey{vkSpace, Qt::Key_Space, XK_space},      NamedKey{vkPrior, Qt::Key_PageUp, XK_Prior},
    NamedKey{vkNext, Qt::Key_PageDown, XK_Next},     NamedKey{vkEnd, Qt::Key_End, XK_End},
    NamedKey{vkHome, Qt::Key_Home, XK_Home},         NamedKey{vkLeft, Qt::Key_Left, XK_Left},
    NamedKey{vkUp, Qt::Key_Up, XK_Up},               NamedKey{vkRight, Qt::Key_Right, XK_Right},
    NamedKey{vkDown, Qt::Key_Down, XK_Down},         NamedKey{vkInsert, Qt::Key_Insert, XK_Insert},
    NamedKey{vkDelete, Qt::Key_Delete, XK_Delete},
};

bool isLetter(int code)
{
    return code >= 'A' && code <= 'Z';
}

bool isDigit(int code)
{
    return code >= '0' && code <= '9';
}

bool isFunctionKey(int virtualKey)
{
    return virtualKey >= vkF1 && virtualKey <= vkF24;
}

// Letters and digits have the same numbers as virtual keys and as Qt keys.
quint8 virtualKeyOf(int qtKey)
{
    if (isLetter(qtKey) || isDigit(qtKey))
        return static_cast<quint8>(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<quint8>(vkF1 + (qtKey - Qt::Key_F1));
    if (qtKey == Qt::Key_Enter)
        return vkReturn;
    for (const NamedKey &named : kNamedKeys) {
        if (named.QtKey == qtKey)
            return named.VirtualKey;
    }
    return 0;
}

int qtKeyOf(quint8 virtualKey)
{
    if (isLetter(virtualKey) || isDigit(virtualKey))
        return virtualKey;
    if (isFunctionKey(virtualKey))
        return Qt::Key_F1 + (virtualKey - vkF1);
    for (const NamedKey &named : kNamedKeys) {
        if (named.VirtualKey == virtualKey)
            return named.QtKey;
    }
    return 0;
}

QString shortcutName(quint16 shortcut)
{
    const QString name = KeySequenceFromShortcut(shortcut).toString(QKeySequence::PortableText);
    return name.isEmpty() ? QStringLiteral("0x%1").arg(shortcut, 4, 16, QLatin1Char('0')) : name;
}

void note(const QString &text)
{
    std::fprintf(stderr, "lexivoce: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> own(T *reply)
{
    return Reply<T>(reply, &std::free);
}

// The keyboard's keysym table: keysymsPerKeyCode columns for each key code
// from the setup's minimum on.
struct KeyboardMap
{
    std::uint8_t MinKeyCode = 0;
    int PerKeyCode = 0;
    std::vector<xcb_keysym_t> Keysyms;

    bool Carries(std::uint8_t keyCode, xcb_keysym_t keysym) const
    {
        if (keyCode < MinKeyCode || PerKeyCode <= 0)
            return false;
        const auto per = static_cast<std::size_t>(PerKeyCode);
        const std::size_t row = static_cast<std::size_t>(keyCode - MinKeyCode) * per;
        for (std::size_t i = row; i < row + per && i < Keysyms.size(); ++i) {
            if (Keysyms[i] == keysym)
                return true;
        }
        return false;
    }
};

KeyboardMap keyboardMap(xcb_connection_t *connection)
{
    KeyboardMap map;
    const xcb_setup_t *setup = xcb_get_setup(connection);
    map.MinKeyCode = setup->min_keycode;
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const auto reply = own(xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr));
    if (!reply)
        return map;
    map.PerKeyCode = reply->keysyms_per_keycode;
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(reply.get());
    map.Keysyms.assign(keysyms, keysyms + xcb_get_keyboard_mapping_keysyms_length(reply.get()));
    return map;
}

constexpr std::uint16_t kModifierBits[] = {XCB_MOD_MASK_SHIFT, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_CONTROL,
                                           XCB_MOD_MASK_1,     XCB_MOD_MASK_2,    XCB_MOD_MASK_3,
                                           XCB_MOD_MASK_4,     XCB_MOD_MASK_5};

} // namespace

quint16 ShortcutFromKeySequence(const QKeySequence &sequence)
{
    if (sequence.isEmpty())
        return 0;
    const QKeyCombination chord = sequence[0];
    const Qt::KeyboardModifiers modifiers = chord.keyboardModifiers();
    if (modifiers & Qt::MetaModifier)
        return 0;
    const quint8 virtualKey = virtualKeyOf(chord.key());
    if (virtualKey == 0)
        return 0;
    quint16 shortcut = virtualKey;
    if (modifiers & Qt::ShiftModifier)
        shortcut |= scShift;
    if (modifiers & Qt::ControlModifier)
        shortcut |= scCtrl;
    if (modifiers & Qt::AltModifier)
        shortcut |= scAlt;
    return shortcut;
}

QKeySequence KeySequenceFromShortcut(quint16 shortcut)
{
    const int key = qtKeyOf(static_cast<quint8>(shortcut & scKeyMask));
    if (key == 0)
        return {};
    Qt::KeyboardModifiers modifiers;
    if (shortcut & scShift)
        modifiers |= Qt::ShiftModifier;
    if (shortcut & scCtrl)
        modifiers |= Qt::ControlModifier;
    if (shortcut & scAlt)
        modifiers |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

quint32 KeysymOfVirtualKey(quint8 virtualKey)
{
    if (isLetter(virtualKey))
        return XK_a + (virtualKey - 'A');
    if (isDigit(virtualKey))
        return XK_0 + (virtualKey - '0');
    if (isFunctionKey(virtualKey))
        return XK_F1 + (virtualKey - vkF1);
    for (const NamedKey &named : kNamedKeys) {
        if (named.VirtualKey == virtualKey)
            return named.Keysym;
    }
    return 0;
}

xcb_connection_t *X11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

QList<std::uint8_t> KeyCodesOf(xcb_connection_t *connection, quint32 keysym)
{
    QList<std::uint8_t> codes;
    if (!connection || keysym == 0)
        return codes;
    const KeyboardMap map = keyboardMap(connection);
    const xcb_setup_t *setup = xcb_get_setup(connection);
    for (int code = setup->min_keycode; code <= setup->max_keycode; ++code) {
        if (map.Carries(static_cast<std::uint8_t>(code), keysym))
            codes.append(static_cast<std::uint8_t>(code));
    }
    return codes;
}

TX11HotKeys::TX11HotKeys(QObject *parent)
    : THotKeyRegistrar(parent)
{
    m_connection = X11Connection();
    if (!m_connection)
        return;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    if (!screen) {
        m_connection = nullptr;
        return;
    }
    m_root = screen->root;
    m_masks = modifierMasks();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

TX11HotKeys::~TX11HotKeys()
{
    // The connection is the application's: gone when the application is.
    if (!m_connection || !qGuiApp)
        return;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    const QList<int> ids = m_grabs.keys();
    for (int id : ids)
        ungrab(id);
    xcb_flush(m_connection);
}

// Which of Mod1..Mod5 Alt and Num Lock are: usually Mod1 and Mod2, but the
// keyboard's modifier map says.
TX11HotKeys::Masks TX11HotKeys::modifierMasks() const
{
    Masks masks{XCB_MOD_MASK_1, XCB_MOD_MASK_2};
    const auto reply = own(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
    if (!reply)
        return masks;
    const KeyboardMap map = keyboardMap(m_connection);
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    bool altFound = false;
    bool numFound = false;
    for (int modifier = 3; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            if (code == 0)
                continue;
            if (!altFound && (map.Carries(code, XK_Alt_L) || map.Carries(code, XK_Alt_R))) {
                masks.Alt = kModifierBits[modifier];
                altFound = true;
            }
            if (!numFound && map.Carries(code, XK_Num_Lock)) {
                masks.NumLock = kModifierBits[modifier];
                numFound = true;
            }
        }
    }
    return masks;
}


// The lock modifiers a key can be pressed with; each needs a grab of its own.
QList<std::uint16_t> TX11HotKeys::lockVariants() const
{
    QList<std::uint16_t> variants{0, XCB_MOD_MASK_LOCK};
    if (m_masks.NumLock != 0) {
        variants.append(m_masks.NumLock);
        variants.append(static_cast<std::uint16_t>(m_masks.NumLock | XCB_MOD_MASK_LOCK));
    }
    return variants;
}

bool TX11HotKeys::Register(int id, quint16 shortcut)
{
    Unregister(id);
    if (shortcut == 0)
        return false;
    if (!m_connection) {
        static bool told = false;
        if (!told) {
            told = true;
            note(QStringLiteral("system-wide hot keys need an X server, and there is none: "
                                "they are unavailable"));
        }
        return false;
    }
    Grab grab;
    grab.Shortcut = shortcut;
    grab.KeyCodes = KeyCodesOf(m_connection, KeysymOfVirtualKey(static_cast<quint8>(shortcut & scKeyMask)));
    if (grab.KeyCodes.isEmpty()) {
        note(QStringLiteral("the hot key %1 is not on this keyboard").arg(shortcutName(shortcut)));
        return false;
    }
    if (shortcut & scShift)
        grab.Modifiers |= XCB_MOD_MASK_SHIFT;
    if (shortcut & scCtrl)
        grab.Modifiers |= XCB_MOD_MASK_CONTROL;
    if (shortcut & scAlt)
        grab.Modifiers |= m_masks.Alt;

    // Every request first, then every answer: one round trip, not one per grab.
    // Not owner_events: the key's release goes to the root as well, not to a
    // window of ours that never saw the press.
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint8_t code : std::as_const(grab.KeyCodes)) {
        for (std::uint16_t lock : lockVariants()) {
            cookies.push_back(xcb_grab_key_checked(m_connection, 0, m_root,
                                                   static_cast<std::uint16_t>(grab.Modifiers | lock), code,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    bool refused = false;
    for (const xcb_void_cookie_t &cookie : cookies) {
        if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
            std::free(error);
            refused = true;
        }
    }
    // Kept even when partly refused: what was taken works and is given back.
    m_grabs.insert(id, grab);
    if (refused)
        note(QStringLiteral("another program holds %1, so it cannot bring this program back")
                 .arg(shortcutName(shortcut)));
    return !refused;
}

void TX11HotKeys::Unregister(int id)
{
    if (!m_connection || !m_grabs.contains(id))
        return;
    ungrab(id);
    xcb_flush(m_connection);
}

void TX11HotKeys::ungrab(int id)
{
    const Grab grab = m_grabs.take(id);
    // Another id may hold the same combination: its grab stays.
    for (const Grab &other : std::as_const(m_grabs)) {
        if (other.Modifiers == grab.Modifiers && other.KeyCodes == grab.KeyCodes)
            return;
    }
    for (std::uint8_t code : grab.KeyCodes) {
        for (std::uint16_t lock : lockVariants())
            xcb_ungrab_key(m_connection, code, m_root, static_cast<std::uint16_t>(grab.Modifiers | lock));
    }
}

bool TX11HotKeys::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (m_grabs.isEmpty() || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return false;
    const auto *press = reinterpret_cast<const xcb_key_press_event_t *>(event);
    if (press->event != m_root)
        return false;
    const auto relevant = static_cast<std::uint16_t>(XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | m_masks.Alt);
    const std::uint16_t modifiers = press->state & relevant;
    // Never swallowed: Qt takes the press's time as the user's latest action,
    // and window managers refuse to activate a window asked with an older
    // one. The root is no window of Qt's, so nothing else comes of it.
    for (auto it = m_grabs.cbegin(); it != m_grabs.cend(); ++it) {
        if (it->Modifiers != modifiers || !it->KeyCodes.contains(press->detail))
            continue;
        // Queued: whoever listens may show windows, which is better done
        // outside Qt's own handling of the X event queue.
        const int id = it.key();
        const quint16 shortcut = it->Shortcut;
        QMetaObject::invokeMethod(this, [this, id, shortcut] { Q_EMIT Pressed(id, shortcut); }, Qt::QueuedConnection);
        break;
    }
    return false;
}

} // namespace lexivoce::dialogs
