// The hot keys and the tray icon against a real X server: the private one of
// tests/support/with_xserver, keys pressed with xdotool. Without it every
// case skips; pressing keys on someone's own desktop is out of the question.
#include "dialogs/hot_key.h"
#include "dialogs/tray_icon.h"

#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace lexivoce::dialogs {
namespace {

bool hasPrivateDisplay()
{
    const QByteArray display = qgetenv("DISPLAY");
    return !qEnvironmentVariableIsSet("LEXIVOCE_NO_X") && !display.isEmpty()
           && display == qgetenv("LEXIVOCE_TEST_DISPLAY");
}

bool onPrivateXServer()
{
    return hasPrivateDisplay() && QGuiApplication::platformName() == QLatin1String("xcb");
}

xcb_connection_t *qtConnection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

xcb_window_t rootOf(xcb_connection_t *connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

void pressKeys(const QString &keys)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("key"), keys});
    ASSERT_TRUE(xdotool.waitForFinished(5000)) << keys.toStdString();
    ASSERT_EQ(xdotool.exitCode(), 0) << keys.toStdString();
}

std::uint16_t modifierState()
{
    xcb_connection_t *connection = qtConnection();
    auto *reply = xcb_query_pointer_reply(connection, xcb_query_pointer(connection, rootOf(connection)), nullptr);
    const std::uint16_t mask = reply ? reply->mask : 0;
    std::free(reply);
    return mask;
}

// Switches a lock key on for a scope and off again, whatever the test does.
class TLockOn
{
public:
    explicit TLockOn(const QString &key)
        : m_key(key)
    {
        pressKeys(m_key);
    }
    ~TLockOn() { pressKeys(m_key); }
    TLockOn(const TLockOn &) = delete;
    TLockOn &operator=(const TLockOn &) = delete;

private:
    QString m_key;
};

xcb_keycode_t keyCodeOf(xcb_connection_t *connection, xcb_keysym_t keysym)
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    auto *reply = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr);
    xcb_keycode_t found = 0;
    if (reply) {
        const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(reply);
        const int length = xcb_get_keyboard_mapping_keysyms_length(reply);
        for (int i = 0; i < length && found == 0; ++i) {
            if (keysyms[i] == keysym)
                found = static_cast<xcb_keycode_t>(setup->min_keycode + i / reply->keysyms_per_keycode);
        }
    }
    std::free(reply);
    return found;
}

TEST(X11HotKeys, ShortcutsArriveWhateverLockKeysAreOn)
{
    if (!onPrivateXServer())
        GTEST_SKIP() << "needs the private X server of tests/support/with_xserver";
    QWidget window;
    TTrayIcon tray(&window);
    QSignalSpy pressed(&tray, &TTrayIcon::OnShortcut);
    tray.SetShortcut(16507);
    QMenu menu;
    menu.addAction(QStringLiteral("Quit"))->setShortcut(QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_K));
    tray.SetPopupMenu(&menu);

    const auto expectPressed = [&](const QString &keys, quint16 shortcut, const char *state) {
        pressed.clear();
        pressKeys(keys);
        ASSERT_TRUE(pressed.count() > 0 || pressed.wait(3000)) << keys.toStdString() << " with " << state;
        EXPECT_EQ(pressed.takeFirst().at(0).value<quint16>(), shortcut) << state;
    };

    expectPressed(QStringLiteral("ctrl+F12"), 16507, "no lock keys");
    {
        TLockOn numLock(QStringLiteral("Num_Lock"));
        ASSERT_TRUE(modifierState() & XCB_MOD_MASK_2) << "Num Lock did not come on";
        expectPressed(QStringLiteral("ctrl+F12"), 16507, "Num Lock");
        TLockOn capsLock(QStringLiteral("Caps_Lock"));
        ASSERT_TRUE(modifierState() & XCB_MOD_MASK_LOCK) << "Caps Lock did not come on";
        expectPressed(QStringLiteral("ctrl+F12"), 16507, "Num Lock and Caps Lock");
    }
    {
        TLockOn capsLock(QStringLiteral("Caps_Lock"));
        expectPressed(QStringLiteral("ctrl+F12"), 16507, "Caps Lock");
    }
    expectPressed(QStringLiteral("shift+alt+k"), scShift | scAlt | 'K', "no lock keys");

    // Also when the program's own window has the keyboard.
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    expectPressed(QStringLiteral("ctrl+F12"), 16507, "our own window active");

    tray.SetShortcut(0);
    pressed.clear();
    pressKeys(QStringLiteral("ctrl+F12"));
    EXPECT_FALSE(pressed.wait(500)) << "given back, yet still reported";
}

TEST(X11HotKeys, ACombinationAnotherProgramHoldsIsRefusedAndReportedOnce)
{
    if (!onPrivateXServer())
        GTEST_SKIP() << "needs the private X server of tests/support/with_xserver";
    xcb_connection_t *other = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(other), 0);
    const xcb_keycode_t f11 = keyCodeOf(other, XK_F11);
    ASSERT_NE(f11, 0);
    xcb_generic_error_t *error =
        xcb_request_check(other, xcb_grab_key_checked(other, 0, rootOf(other), XCB_MOD_MASK_CONTROL, f11,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    EXPECT_EQ(error, nullptr);
    std::free(error);

    TX11HotKeys keys;
    ASSERT_TRUE(keys.IsAvailable());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(keys.Register(0, scCtrl | 0x7A));
    const std::string said = testing::internal::GetCapturedStderr();
    const auto first = said.find("Ctrl+F11");
    ASSERT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find("Ctrl+F11", first + 1), std::string::npos) << said;

    xcb_disconnect(other);
}

// trayer, when installed, is the notification area: a minimized window then
// leaves the task bar. Several rounds, and a pause after each return: a
// window that comes back iconic is minimized by the window manager only a
// moment later.
TEST(X11TrayIcon, MinimizedWindowLeavesTheTaskBarAndTheHotKeyBringsItBack)
{
    if (!onPrivateXServer())
        GTEST_SKIP() << "needs the private X server of tests/support/with_xserver";
    const QString trayerPath = QStandardPaths::findExecutable(QStringLiteral("trayer"));
    if (trayerPath.isEmpty())
        GTEST_SKIP() << "needs trayer as the notification area";
    QProcess trayer;
    trayer.setStandardOutputFile(QProcess::nullDevice());
    trayer.setStandardErrorFile(QProcess::nullDevice());
    trayer.start(trayerPath, {QStringLiteral("--edge"), QStringLiteral("top")});
    const auto stopTrayer = qScopeGuard([&] {
        trayer.terminate();
        trayer.waitForFinished(3000);
    });
    ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 5000));

    QWidget window;
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    TTrayIcon tray(&window);
    tray.SetMinimizeToTray(true);
    tray.SetShortcut(16507);
    QObject::connect(&tray, &TTrayIcon::OnShortcut, &tray, [&] { tray.RestoreApplication(); });

    for (int round = 1; round <= 3; ++round) {
        window.showMinimized();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 3000)) << "round " << round;
        EXPECT_TRUE(tray.IsInTray());
        // As a user would pause: Qt keeps a window that lost the focus as its
        // focus window for a moment, and one shown again within that moment
        // never becomes the active window of QApplication.
        QTest::qWait(500);
        pressKeys(QStringLiteral("ctrl+F12"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.isVisible() && window.isActiveWindow(); }, 3000))
            << "round " << round << " visible " << window.isVisible() << " minimized " << window.isMinimized()
            << " active " << window.isActiveWindow();
        QTest::qWait(300);
        EXPECT_TRUE(window.isVisible() && !window.isMinimized()) << "round " << round;
        EXPECT_TRUE(tray.IsInTray()) << "the hot key leaves the icon where it is";
    }
}

} // namespace
} // namespace lexivoce::dialogs

// On the private X server when there is one; else offscreen, where the cases
// skip. Listing the tests must work without a display too.
int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", lexivoce::dialogs::hasPrivateDisplay() ? "xcb" : "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
