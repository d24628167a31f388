#include "dialogs/tray_icon.h"

#include "dialogs/hot_key.h"

#include <QAction>
#include <QCoreApplication>
#include <QMap>
#include <QMenu>
#include <QPixmap>
#include <QSignalSpy>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace lexivoce::dialogs {
namespace {

// Holds what is registered, as the desktop would.
class TFakeRegistrar : public THotKeyRegistrar
{
public:
    bool Register(int id, quint16 shortcut) override
    {
        ++RegisterCalls;
        Held.insert(id, shortcut);
        return true;
    }
    void Unregister(int id) override { Held.remove(id); }
    void Press(int id) { Q_EMIT Pressed(id, Held.value(id)); }

    QMap<int, quint16> Held;
    int RegisterCalls = 0;
};

QSystemTrayIcon *systemIcon(TTrayIcon &tray)
{
    return tray.findChild<QSystemTrayIcon *>();
}

QIcon filled(Qt::GlobalColor color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

TEST(TrayIconHotKeys, ShortcutIsHeldUnderIdZeroAndPressesArriveAsOnShortcut)
{
    QWidget window;
    TFakeRegistrar registrar;
    auto tray = std::make_unique<TTrayIcon>(&window, &registrar);
    QSignalSpy pressed(tray.get(), &TTrayIcon::OnShortcut);

    tray->SetShortcut(16507);
    EXPECT_EQ(registrar.Held, (QMap<int, quint16>{{0, quint16(16507)}}));
    tray->SetShortcut(16507);
    EXPECT_EQ(registrar.RegisterCalls, 1);

    registrar.Press(0);
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).value<quint16>(), 16507);

    tray->SetShortcut(0);
    EXPECT_TRUE(registrar.Held.isEmpty());

    tray->SetShortcut(scShift | vkF1);
    tray.reset();
    EXPECT_TRUE(registrar.Held.isEmpty()) << "a destroyed icon gives its hot key back";
}

TEST(TrayIconHotKeys, PopupMenuShortcutsAreHeldUnderTheItemsPositions)
{
    QWidget window;
    TFakeRegistrar registrar;
    TTrayIcon tray(&window, &registrar);
    QSignalSpy pressed(&tray, &TTrayIcon::OnShortcut);
    tray.SetShortcut(16507);

    QMenu menu;
    menu.addAction(QStringLiteral("Open"));
    menu.addAction(QStringLiteral("Look up"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Quit"))->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    tray.SetPopupMenu(&menu);
    EXPECT_EQ(registrar.Held, (QMap<int, quint16>{{0, quint16(16507)},
                                                  {2, quint16(scCtrl | 'L')},
                                                  {4, quint16(scAlt | 'X')}}));

    registrar.Press(2);
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).value<quint16>(), scCtrl | 'L');

    auto other = std::make_unique<QMenu>();
    other->addAction(QStringLiteral("Speak"))->setShortcut(QKeySequence(Qt::Key_F5));
    tray.SetPopupMenu(other.get());
    EXPECT_EQ(registrar.Held, (QMap<int, quint16>{{0, quint16(16507)}, {1, quint16(0x74)}}));

    other.reset();
    EXPECT_EQ(tray.PopupMenu(), nullptr);
    EXPECT_EQ(registrar.Held, (QMap<int, quint16>{{0, quint16(16507)}}));
}

TEST(TrayIconAnimation, SpeedSetsTheFrameIntervalAndFramesCycle)
{
    QWidget window;
    TFakeRegistrar registrar;
    TTrayIcon tray(&window, &registrar);
    auto *timer = tray.findChild<QTimer *>();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(tray.Speed(), 5);
    EXPECT_EQ(timer->interval(), 200);
    tray.SetSpeed(0);
    EXPECT_EQ(tray.Speed(), 1);
    EXPECT_EQ(timer->interval(), 1000);

    tray.SetAnimate(true);
    EXPECT_FALSE(tray.Animate()) << "no frames to show";

    const QList<QIcon> frames{filled(Qt::red), filled(Qt::green), filled(Qt::blue)};
    tray.SetIconList(frames);
    tray.SetAnimate(true);
    ASSERT_TRUE(tray.Animate());
    tray.AddToTray();
    EXPECT_TRUE(timer->isActive());
    // Ticks by hand: with one frame a second, the timer itself stays quiet.
    QStringList seen;
    for (int tick = 0; tick < 4; ++tick) {
        const qint64 shown = systemIcon(tray)->icon().cacheKey();
        for (qsizetype i = 0; i < frames.size(); ++i) {
            if (frames[i].cacheKey() == shown)
                seen.append(QString::number(i));
        }
        QMetaObject::invokeMethod(timer, "timeout");
    }
    EXPECT_EQ(seen.join(QLatin1Char(' ')), QStringLiteral("0 1 2 0"));

    tray.SetIconList({});
    EXPECT_FALSE(tray.Animate());
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(systemIcon(tray)->icon().cacheKey(), tray.Icon().cacheKey());
    EXPECT_FALSE(tray.Icon().isNull()) << "the desktop refuses an empty icon";
}

TEST(TrayIconTip, HintIsCutTo127CharactersAndDroppedWithShowHintOff)
{
    QWidget window;
    TFakeRegistrar registrar;
    TTrayIcon tray(&window, &registrar);

    tray.SetHint(QString(200, QLatin1Char('a')));
    EXPECT_EQ(tray.Hint().size(), 200);
    EXPECT_EQ(systemIcon(tray)->toolTip(), QString(127, QLatin1Char('a')));

    // U+1D11E, two UTF-16 units, across the limit: not cut in half.
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");
    tray.SetHint(QString(126, QLatin1Char('b')) + clef);
    EXPECT_EQ(systemIcon(tray)->toolTip(), QString(126, QLatin1Char('b')));

    tray.SetShowHint(false);
    EXPECT_TRUE(systemIcon(tray)->toolTip().isEmpty());
}

TEST(TrayIconWindow, MinimizingWithoutNotificationAreaKeepsTheWindowOnTheTaskBar)
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        GTEST_SKIP() << "this desktop has a notification area";
    QWidget window;
    TFakeRegistrar registrar;
    TTrayIcon tray(&window, &registrar);
    window.showMaximized();

    window.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(tray.IsInTray()) << "MinimizeToTray is off";

    window.showNormal();
    window.showMaximized();
    tray.SetMinimizeToTray(true);
    window.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(tray.IsInTray());
    EXPECT_TRUE(window.isVisible()) << "nothing could bring a hidden window back";
    EXPECT_TRUE(window.isMinimized());

    tray.RestoreApplication();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isMaximized()) << "minimized from maximized, restored to maximized";
}

TEST(TrayIconMouse, ActivationsArriveAsMouseEventsAndOpenThePopupMenu)
{
    QWidget window;
    TFakeRegistrar registrar;
    TTrayIcon tray(&window, &registrar);
    QStringList events;
    QObject::connect(&tray, &TTrayIcon::OnClick, [&] { events.append(QStringLiteral("click")); });
    QObject::connect(&tray, &TTrayIcon::OnDblClick, [&] { events.append(QStringLiteral("double")); });
    QObject::connect(&tray, &TTrayIcon::OnMouseDown,
                     [&](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint &, bool doubleClick) {
                         const QString suffix = doubleClick ? QStringLiteral("d") : QString();
                         events.append(QStringLiteral("down%1%2").arg(int(button)).arg(suffix));
                     });
    QObject::connect(&tray, &TTrayIcon::OnMouseUp, [&](Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint &) {
        events.append(QStringLiteral("up%1").arg(int(button)));
    });
    QMenu menu;
    QAction *open = menu.addAction(QStringLiteral("Open"));
    menu.setDefaultAction(open);
    QObject::connect(open, &QAction::triggered, [&] { events.append(QStringLiteral("open")); });
    tray.SetPopupMenu(&menu);
    QSystemTrayIcon *icon = systemIcon(tray);

    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(events.join(QLatin1Char(' ')), QStringLiteral("down1 click up1"));
    events.clear();

    Q_EMIT icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(events.join(QLatin1Char(' ')), QStringLiteral("double down1d open"));
    events.clear();

    Q_EMIT icon->activated(QSystemTrayIcon::MiddleClick);
    EXPECT_EQ(events.join(QLatin1Char(' ')), QStringLiteral("down4 up4"));
    events.clear();

    Q_EMIT icon->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(events.join(QLatin1Char(' ')), QStringLiteral("up2"));
    EXPECT_TRUE(menu.isVisible());
    menu.close();
}

} // namespace
} // namespace lexivoce::dialogs
