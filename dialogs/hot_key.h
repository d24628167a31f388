#pragma once

#include <QAbstractNativeEventFilter>
#include <QKeySequence>
#include <QList>
#include <QMap>
#include <QObject>

#include <cstdint>

struct xcb_connection_t;

namespace lexivoce::dialogs {

// A shortcut value as the program stores it: a Windows virtual-key code in
// the low byte and the modifiers in the high bits. 0 means none.
inline constexpr quint16 scShift = 0x2000;
inline constexpr quint16 scCtrl = 0x4000;
inline constexpr quint16 scAlt = 0x8000;
inline constexpr quint16 scKeyMask = 0x00FF;

// The virtual-key codes the program has names for.
inline constexpr quint8 vkTab = 0x09;
inline constexpr quint8 vkReturn = 0x0D;
inline constexpr quint8 vkEscape = 0x1B;
inline constexpr quint8 vkSpace = 0x20;
inline constexpr quint8 vkPrior = 0x21;
inline constexpr quint8 vkNext = 0x22;
inline constexpr quint8 vkEnd = 0x23;
inline constexpr quint8 vkHome = 0x24;
inline constexpr quint8 vkLeft = 0x25;
inline constexpr quint8 vkUp = 0x26;
inline constexpr quint8 vkRight = 0x27;
inline constexpr quint8 vkDown = 0x28;
inline constexpr quint8 vkInsert = 0x2D;
inline constexpr quint8 vkDelete = 0x2E;
inline constexpr quint8 vkF1 = 0x70;
inline constexpr quint8 vkF12 = 0x7B;
inline constexpr quint8 vkF24 = 0x87;

// The first chord of sequence as a shortcut value; 0 when it is empty, when
// its key has no virtual-key code here, or when it needs the Meta key, which
// the value cannot carry.
quint16 ShortcutFromKeySequence(const QKeySequence &sequence);

// The other way round; an empty sequence for 0 and for unknown key codes.
QKeySequence KeySequenceFromShortcut(quint16 shortcut);

// The X keysym of a virtual-key code (letters as lower case), 0 for none.
quint32 KeysymOfVirtualKey(quint8 virtualKey);

// The application's X connection; nullptr without an X server.
xcb_connection_t *X11Connection();

// Every key code that carries keysym in the keyboard's current map.
QList<std::uint8_t> KeyCodesOf(xcb_connection_t *connection, quint32 keysym);

// Where system-wide hot keys come from. The tray icon registers through
// this, so that tests can put a fake in its place.
class THotKeyRegistrar : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Takes the combination for the whole desktop under id, replacing what
    // id held. False when the desktop did not give it (entirely).
    virtual bool Register(int id, quint16 shortcut) = 0;
    // Gives back what id holds; nothing when it holds nothing.
    virtual void Unregister(int id) = 0;

Q_SIGNALS:
    void Pressed(int id, quint16 shortcut);
};

// Hot keys on X11: passive key grabs on the root window through Qt's own xcb
// connection, seen by a native event filter. Each combination is grabbed
// also with Num Lock, Caps Lock and both, so that it works whatever lock
// keys are on. Without X (Wayland, the offscreen platform) nothing can be
// grabbed; the first attempt says so on stderr, once per process. A
// combination another program holds is reported on stderr too.
class TX11HotKeys : public THotKeyRegistrar, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit TX11HotKeys(QObject *parent = nullptr);
    ~TX11HotKeys() override;

    // Whether this process talks to an X server at all.
    bool IsAvailable() const { return m_connection != nullptr; }

    bool Register(int id, quint16 shortcut) override;
    void Unregister(int id) override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    struct Grab
    {
        quint16 Shortcut = 0;
        QList<std::uint8_t> KeyCodes;
        std::uint16_t Modifiers = 0;
    };

    struct Masks
    {
        std::uint16_t Alt = 0;
        std::uint16_t NumLock = 0;
    };

    Masks modifierMasks() const;
    QList<std::uint16_t> lockVariants() const;
    void ungrab(int id);

    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_root = 0;
    Masks m_masks;
    QMap<int, Grab> m_grabs;
};

} // namespace lexivoce::dialogs
