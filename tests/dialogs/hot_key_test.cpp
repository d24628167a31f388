#include "dialogs/hot_key.h"

#include <QKeySequence>

#include <gtest/gtest.h>

namespace lexivoce::dialogs {
namespace {

TEST(HotKeyValues, KeySequencesAndShortcutValuesConvertBothWays)
{
    EXPECT_EQ(KeySequenceFromShortcut(16507), QKeySequence(Qt::CTRL | Qt::Key_F12));

    const struct
    {
        QKeySequence Sequence;
        quint16 Shortcut;
    } cases[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_F12), scCtrl | vkF12},
        {QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_A), scShift | scAlt | 'A'},
        {QKeySequence(Qt::CTRL | Qt::Key_5), scCtrl | '5'},
        {QKeySequence(Qt::Key_F24), vkF24},
        {QKeySequence(Qt::Key_Space), vkSpace},
        {QKeySequence(Qt::Key_Escape), vkEscape},
        {QKeySequence(Qt::Key_PageDown), vkNext},
        {QKeySequence(Qt::ALT | Qt::Key_Delete), scAlt | vkDelete},
        {QKeySequence(Qt::Key_Left), vkLeft},
    };
    for (const auto &item : cases) {
        EXPECT_EQ(ShortcutFromKeySequence(item.Sequence), item.Shortcut) << item.Sequence.toString().toStdString();
        EXPECT_EQ(KeySequenceFromShortcut(item.Shortcut), item.Sequence) << item.Shortcut;
    }
    // What the value cannot carry gives no hot key rather than another one.
    EXPECT_EQ(ShortcutFromKeySequence(QKeySequence(Qt::META | Qt::Key_A)), 0);
    EXPECT_EQ(ShortcutFromKeySequence(QKeySequence(Qt::Key_LaunchMail)), 0);
    EXPECT_EQ(ShortcutFromKeySequence(QKeySequence()), 0);
    EXPECT_TRUE(KeySequenceFromShortcut(0).isEmpty());
}

TEST(HotKeyValues, VirtualKeysHaveTheirXKeysyms)
{
    EXPECT_EQ(KeysymOfVirtualKey(vkF1), 0xffbeu);
    EXPECT_EQ(KeysymOfVirtualKey(vkF12), 0xffc9u);
    EXPECT_EQ(KeysymOfVirtualKey('A'), static_cast<quint32>('a'));
    EXPECT_EQ(KeysymOfVirtualKey('Z'), static_cast<quint32>('z'));
    EXPECT_EQ(KeysymOfVirtualKey('7'), static_cast<quint32>('7'));
    EXPECT_EQ(KeysymOfVirtualKey(vkNext), 0xff56u);
    EXPECT_EQ(KeysymOfVirtualKey(vkDelete), 0xffffu);
    EXPECT_EQ(KeysymOfVirtualKey(0xFF), 0u);
}

// The widget tests run on the offscreen platform: no X server there.
TEST(X11HotKeysWithoutX, NothingIsGrabbedAndStderrSaysSoOnce)
{
    TX11HotKeys keys;
    EXPECT_FALSE(keys.IsAvailable());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(keys.Register(0, scCtrl | vkF12));
    EXPECT_FALSE(keys.Register(1, scAlt | 'X'));
    keys.Unregister(0);
    const std::string said = testing::internal::GetCapturedStderr();
    const auto first = said.find("X server");
    ASSERT_NE(first, std::string::npos) << said;
    EXPECT_EQ(said.find("X server", first + 1), std::string::npos) << said;
}

} // namespace
} // namespace lexivoce::dialogs
